// A small query through the middleware client (qry_provinceCode: session check, decode,
// database, encode) against a bare keep-alive POST of the same size to the same service's echo
// route, on each backend.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "test_server.h"
#include "tvd_client.h"
#include "tvd_json.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace rsim::test;
using MResRemoteMgntDef::SResRemoteProvCode;
using MResRemoteMgntDef::SResRemoteProvCodeList;

constexpr int kCalls = 3000;

template <class Call>
double medianMicroseconds(Call call)
{
    std::vector<double> times;
    times.reserve(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        const auto start = std::chrono::steady_clock::now();
        call();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + kCalls / 2, times.end());
    return times[kCalls / 2];
}

void bench(Backend backend, const char* name)
{
    TestServer server(backend);
    if (!server.login("admin", "admin123")) {
        std::printf("%s: login failed\n", name);
        return;
    }
    MResRemoteMgntApp::IResRemoteMgnt remote;
    remote.bind(server.address());
    SResRemoteProvCodeList found;
    CBSErrorMsg error;
    const double query = medianMicroseconds([&] { remote.qry_provinceCode(SResRemoteProvCode(), found, error, nullptr); });
    if (error.code != 0 || found.count() == 0) {
        std::printf("%s: the query failed: %s\n", name, error.message.c_str());
        return;
    }

    // The bare round trip carries what the query's answer carries.
    const std::string body = nlohmann::json{{"result", 0}, {"out", {{"listResRemoteProvCode", tvd::wire::encode(found)}}},
                                            {"error", tvd::wire::encodeError(error)}}
                                 .dump();
    httplib::Client bare(server.address());
    bare.set_tcp_nodelay(true);
    bare.set_keep_alive(true);
    const double echo = medianMicroseconds([&] { bare.Post("/v1/echo", body, "application/json"); });
    std::printf("qry_provinceCode through the middleware, %s: %.0f us vs bare POST of %zu bytes %.0f us, ratio %.2f\n",
                name, query, body.size(), echo, query / echo);
}

} // namespace

int main()
{
    bench(Backend::Sqlite, "SQLite");
    if (TestServer::skipReason(Backend::Postgres).empty())
        bench(Backend::Postgres, "PostgreSQL");
    else
        std::printf("PostgreSQL: skipped, %s\n", TestServer::skipReason(Backend::Postgres).c_str());
    return 0;
}
