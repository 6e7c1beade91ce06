// The service's and the client's work for the IMSI range query (50 of 1,000,000 cards) for an
// operator who does not see the KI (range) and for one who does (reveal: 50 KIs opened and an
// access-audit row written each call), and the write log's default query (log), in one process
// and without HTTP, for callgrind, whose instruction counts hold on a shared machine:
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='rsim::Service::call*'
//            --toggle-collect='tvd::wire::readAnswer*' build/bin/profile_answers FOLDER [QUERY]
// then `callgrind_annotate --inclusive=yes`, divided by the calls printed. FOLDER keeps the
// database between runs: it is filled once. Every query runs unless one is named.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "schema.h"
#include "sealed_columns.h"
#include "service.h"
#include "sim_cards.h"
#include "sysmgnt.h"
#include "table.h"
#include "tvd_json_stream.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <future>
#include <optional>
#include <sstream>

using namespace MResRemoteMgntDef;
using Remote = MResRemoteMgntApp::IResRemoteMgnt;

namespace {

constexpr int kCalls = 300;
constexpr const char* kInterface = "MResRemoteMgntApp_IResRemoteMgnt";

std::vector<rsim::secrets::SealedColumn> sealedColumns()
{
    auto columns = rsim::tables::sealedColumns();
    columns.push_back(rsim::sysmgnt::secretParameters());
    return columns;
}

// The database of the folder, filled with the demo data, the cards and the write log the first
// time; its key box.
rsim::secrets::SecretBox prepare(const std::string& folder, const std::string& address)
{
    const bool fresh = !std::filesystem::exists(folder + "/rsim.db");
    auto db = rsim::db::connect(address);
    rsim::db::migrate(*db, rsim::db::schemaMigrations());
    auto box = rsim::secrets::openKeyFile(*db, sealedColumns(), folder + "/rsim.key", true);
    if (fresh) {
        rsim::sysmgnt::seedDemo(*db, box);
        rsim::tables::seedDemo(*db, box);
        storeCards(*db, box, 0, 1000000);
        storeWriteLog(*db, false);
    }
    return box;
}

// The answer of kCalls calls of the operation with the body, and the client's reading of it as
// often into out.
template <class Out>
void profile(const char* name, rsim::Service& service, const rsim::Caller& caller, const char* code,
             const std::string& body)
{
    const rsim::BodySource source = [&] { return std::make_unique<std::stringbuf>(body); };
    std::string answer;
    for (int i = 0; i < kCalls; ++i)
        answer = service.call(kInterface, code, source, caller).body;
    std::size_t records = 0;
    for (int i = 0; i < kCalls; ++i) {
        typename Out::List found;
        CBSErrorMsg error;
        typename Out::Params out(found, error);
        tvd::wire::readAnswer(answer, out, error);
        records = static_cast<std::size_t>(found.count());
    }
    std::printf("%s (%s): %d calls, answer of %zu records, %zu bytes\n", name, code, kCalls,
                records, answer.size());
}

struct SimAnswer {
    using List = SRemoteSimInfoList;
    using Params = Remote::CParamOut4qry_simInfo;
};
struct LogAnswer {
    using List = SRemoteSimLogList;
    using Params = Remote::CParamOut4qry_remoteSimLog;
};

// The caller of a session of the login; nothing when it is refused.
std::optional<rsim::Caller> callerOf(rsim::Service& service, const char* login,
                                     const char* password)
{
    std::promise<std::string> answered;
    service.login(nlohmann::json{{"login", login}, {"password", password}}.dump(), "127.0.0.1",
                  [&](rsim::Answer answer) { answered.set_value(std::move(answer.body)); });
    const nlohmann::json answer = nlohmann::json::parse(answered.get_future().get());
    const std::string session = answer.value("session", "");
    const auto admitted = service.admit(kInterface, "RMOSMQ28", session);
    if (session.empty() || admitted.refusal) {
        std::fprintf(stderr, "login refused: %s\n", answer.dump().c_str());
        return std::nullopt;
    }
    return rsim::Caller{admitted.owner, "", "127.0.0.1"};
}

constexpr const char* kRange = R"({"in":{"sIn":{"START_IMSI":"460020000500000",)"
                               R"("END_IMSI":"460020000600000","MAX_NUM":50}}})";

} // namespace

int main(int argc, char** argv)
{
    const std::string wanted = argc == 3 ? argv[2] : "";
    if (argc < 2 || argc > 3 ||
        (argc == 3 && wanted != "range" && wanted != "reveal" && wanted != "log")) {
        std::fprintf(stderr, "usage: profile_answers FOLDER [range|reveal|log]\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    const std::string address = std::string("sqlite:") + argv[1] + "/rsim.db";
    const auto box = prepare(argv[1], address);
    rsim::DriverPool pool(address, 1);
    rsim::Service service(pool, box);
    const auto viewer = callerOf(service, "viewer", "viewer123");
    const auto admin = callerOf(service, "admin", "admin123");
    if (!viewer || !admin)
        return 1;
    if (wanted.empty() || wanted == "range")
        profile<SimAnswer>("range", service, *viewer, "RMOSMQ28", kRange);
    if (wanted.empty() || wanted == "reveal")
        profile<SimAnswer>("reveal", service, *admin, "RMOSMQ28", kRange);
    if (wanted.empty() || wanted == "log")
        profile<LogAnswer>(
            "log", service, *viewer, "RMOSMQ52",
            R"({"in":{"sIn":{"REGION_CODE":23,"OP_ID":2307,)"
            R"("BEGIN_OP_TIME":"2026-06-01 00:00:00","END_OP_TIME":"2026-06-30 23:59:59"}}})");
}
