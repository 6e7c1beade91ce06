// The service's peak memory (VmHWM) under the largest requests a client can send with
// --max-body 64 (MiB), each in a service of its own, against the same service's peak before the
// request. The aim: under twice the body limit above that baseline.
#include "ResRemoteSimMgnt_operations.h"
#include "bench_common.h"
#include "gzip.h"
#include "rsimd_process.h"
#include "sim_cards.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_client.h"
#include "tvd_json.h"
#include "tvd_json_tree.h"

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

using testsupport::RsimdProcess;

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr int kBodyLimitMiB = 64;
const char* const kAddCards = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ25";
const char* const kQueryCards = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ28";

std::string login(const RsimdProcess& server)
{
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0) {
        std::printf("login refused: %s\n", error.message.c_str());
        std::exit(1);
    }
    return tvd_processSession();
}

using Send = std::function<std::string(const RsimdProcess&, const std::string&)>;

// Runs send against a fresh service, after prepare when given, and prints its peak before and
// after.
void measure(const char* name, const Send& send, const Send& prepare = nullptr)
{
    RsimdProcess server(RsimdProcess::Backend::Sqlite, 4,
                        {"--max-body", std::to_string(kBodyLimitMiB)});
    const std::string session = login(server);
    if (prepare)
        prepare(server, session);
    const double baseline = resetPeakOf(server.pid());
    const std::string outcome = send(server, session);
    const double peak = statusMiBOf(server.pid(), "VmHWM");
    std::printf("%-44s %-22s peak %6.0f MiB, baseline %4.0f MiB, above it %6.0f MiB (aim < %d)\n",
                name, outcome.c_str(), peak, baseline, peak - baseline, 2 * kBodyLimitMiB);
    std::fflush(stdout);
}

std::string post(const RsimdProcess& server, const std::string& session, const std::string& path,
                 const std::string& body, httplib::Headers headers = {})
{
    httplib::Client client(server.address());
    client.set_read_timeout(600, 0);
    client.set_write_timeout(600, 0);
    client.set_decompress(false); // gzip only when headers ask for it, and its size shown
    headers.emplace("X-Tav-Session", session);
    const auto answer = client.Post(path, headers, body, "application/json");
    if (!answer)
        return "no answer (" + httplib::to_string(answer.error()) + ")";
    const bool gzipped = answer->get_header_value("Content-Encoding") == "gzip";
    std::string text = answer->body;
    if (gzipped && tvd::gunzip(text, std::size_t{1} << 30) != tvd::Gunzip::Done)
        return "HTTP " + std::to_string(answer->status) + ", no gzip";
    const auto result = nlohmann::json::parse(text, nullptr, false);
    return "HTTP " + std::to_string(answer->status) +
           (result.is_object() && result.contains("result") ? ", result " + result["result"].dump()
                                                            : "") +
           (answer->body.size() >= kMiB ? ", " + std::to_string(answer->body.size() / kMiB) +
                                              (gzipped ? " MiB gzip" : " MiB")
                                        : "");
}

std::string nestedBrackets(const RsimdProcess& server, const std::string& session)
{
    return post(server, session, kAddCards, std::string(kBodyLimitMiB * kMiB - 1024, '['));
}

std::string chunkedPastTheLimit(const RsimdProcess& server, const std::string& session)
{
    httplib::Client client(server.address());
    const std::string chunk(kMiB, ' ');
    std::size_t sent = 0;
    const auto answer = client.Post(
        kAddCards, {{"X-Tav-Session", session}},
        [&](std::size_t, httplib::DataSink& sink) {
            if (sent >= 2 * kBodyLimitMiB * kMiB) {
                sink.done();
                return true;
            }
            sent += chunk.size();
            return sink.write(chunk.data(), chunk.size());
        },
        "application/json");
    return answer ? "HTTP " + std::to_string(answer->status)
                  : "cut after " + std::to_string(sent / kMiB) + " MiB";
}

std::string gzipBomb(const RsimdProcess& server, const std::string& session)
{
    const std::string bomb = tvd::gzip(std::string(4 * kBodyLimitMiB * kMiB, ' '));
    return post(server, session, kAddCards, bomb, {{"Content-Encoding", "gzip"}}) + ", " +
           std::to_string(bomb.size() / 1024) + " KiB";
}

// Cards numbered from 0 until their JSON reaches size; bare: only their IMSI and SIM number,
// the most cards a body can hold.
std::string cardBatch(std::size_t size, bool bare = false)
{
    std::string cards;
    for (long long n = 0; cards.size() < size; ++n) {
        MResRemoteMgntDef::SRemoteSimInfo full = card(n);
        MResRemoteMgntDef::SRemoteSimInfo few;
        few.set_IMSI(full.IMSI);
        few.set_SIM_ID(full.SIM_ID);
        cards += (n ? "," : "") + tvd::wire::encode(bare ? few : full).dump();
    }
    return R"({"in":{"sOpInfo":{"OP_ID":1},"listRemoteSimInfo":[)" + cards + "]}}";
}

// "60 MiB, 217,698 cards"
std::string sizeOf(const std::string& batch)
{
    std::size_t cards = 0;
    for (std::size_t at = batch.find("\"IMSI\""); at != std::string::npos;
         at = batch.find("\"IMSI\"", at + 1))
        ++cards;
    return std::to_string(batch.size() / kMiB) + " MiB, " + std::to_string(cards) + " cards";
}

} // namespace

int main()
{
    std::signal(SIGPIPE, SIG_IGN); // the service closes a body it refuses while it is still sent
    std::printf("rsimd --max-body %d, SQLite; each request in a service of its own\n",
                kBodyLimitMiB);
    measure("64 MiB of '['", nestedBrackets);
    measure("chunked body to twice the limit", chunkedPastTheLimit);
    measure("gzip bomb (256 MiB of blanks)", gzipBomb);
    const std::string batch = cardBatch(60 * kMiB);
    const Send addBatch = [&](const RsimdProcess& server, const std::string& session) {
        return post(server, session, kAddCards, batch);
    };
    measure(("valid batch of " + sizeOf(batch)).c_str(), addBatch);
    const std::string bare = cardBatch(60 * kMiB, true);
    measure(("bare cards (IMSI, SIM number), " + sizeOf(bare)).c_str(),
            [&](const RsimdProcess& server, const std::string& session) {
                return post(server, session, kAddCards, bare);
            });
    // The largest answer: as many cards as one query answers at most.
    measure(
        "query answering 200,000 cards (the row cap)",
        [](const RsimdProcess& server, const std::string& session) {
            return post(server, session, kQueryCards, R"({"in":{"sIn":{"MAX_NUM":200000}}})");
        },
        addBatch);
    measure(
        "the same, answered with gzip",
        [](const RsimdProcess& server, const std::string& session) {
            return post(server, session, kQueryCards, R"({"in":{"sIn":{"MAX_NUM":200000}}})",
                        {{"Accept-Encoding", "gzip"}});
        },
        addBatch);
    return 0;
}
