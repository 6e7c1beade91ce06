// The inquiry window's default log query — the operator's region and id, one month — on a
// write log of 1,000,000 entries, through the service against the same SQL straight on the
// database, on SQLite and (with RSIM_TEST_PG) on PostgreSQL.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"
#include "sim_cards.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_json_stream.h"

#include <nlohmann/json.hpp>

#include <httplib.h>

#include <cstdlib>

using namespace MResRemoteMgntDef;
using testsupport::RsimdProcess;

namespace {

void login(const RsimdProcess& server)
{
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        std::exit(1);
}

// The client's share: the answer read event by event into records, against only parsing it
// into a JSON tree.
void compareDecoding(const std::string& answer, int times)
{
    const auto decodeEvents = millisOfCalls(
        times,
        [&] {
            SRemoteSimLogList found;
            CBSErrorMsg error;
            MResRemoteMgntApp::IResRemoteMgnt::CParamOut4qry_remoteSimLog out(found, error);
            tvd::wire::readAnswer(answer, out, error);
        },
        3);
    std::size_t members = 0;
    const auto parseTree = millisOfCalls(
        times, [&] { members += nlohmann::json::parse(answer).size(); }, 3);
    report("  decoding the answer into records vs parsing it into a JSON tree", decodeEvents,
           parseTree, 0);
}

void defaultQuery(RsimdProcess::Backend backend, const char* name)
{
    RsimdProcess server(backend);
    auto db = rsim::db::connect(server.database());
    storeWriteLog(*db, server.database().starts_with("postgres"));
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SQryRemoteSimLogIn criteria;
    criteria.set_REGION_CODE(23);
    criteria.set_OP_ID(2307);
    criteria.set_BEGIN_OP_TIME(CBSDateTime(2026, 6, 1, 0, 0, 0));
    criteria.set_END_OP_TIME(CBSDateTime(2026, 6, 30, 23, 59, 59));
    {
        SRemoteSimLogList found;
        CBSErrorMsg error;
        client.qry_remoteSimLog(criteria, found, error, nullptr);
        std::printf("%s: the query answers %d entries (%s)\n", name, found.count(),
                    error.message.c_str());
    }
    constexpr int kQueries = 50;
    const std::string rsimd = std::to_string(server.pid());
    const double clientCpu = cpuMillisOf("self"), serviceCpu = cpuMillisOf(rsimd);
    const double service = millisOfCalls(
        kQueries,
        [&] {
            SRemoteSimLogList found;
            CBSErrorMsg error;
            client.qry_remoteSimLog(criteria, found, error, nullptr);
        },
        3);
    std::printf("  CPU per query: client %.3f ms, service %.3f ms\n",
                (cpuMillisOf("self") - clientCpu) / (3 * kQueries),
                (cpuMillisOf(rsimd) - serviceCpu) / (3 * kQueries));
    std::string select;
    for (const auto& column : writeLogColumns())
        select += (select.empty() ? "SELECT " : ", ") + column;
    const std::string sql =
        select + " FROM rsim_write_log WHERE REGION_CODE = ? AND OP_ID = ? AND OP_TIME >= ? "
                 "AND OP_TIME <= ? ORDER BY OP_TIME DESC LIMIT 1000";
    const rsim::db::Row params{std::int64_t{23}, std::int64_t{2307},
                               std::string("2026-06-01 00:00:00"),
                               std::string("2026-06-30 23:59:59")};
    const double direct = millisOfCalls(
        kQueries,
        [&] {
            std::vector<rsim::db::Row> rows;
            db->query(sql, params, [&](const rsim::db::Row& row) { rows.push_back(row); });
        },
        3);
    report(name, service, direct, 3);

    // Where the time goes: the same call as a bare POST, the answer read as text, not decoded.
    httplib::Client raw(server.address());
    raw.set_tcp_nodelay(true);
    raw.set_keep_alive(true);
    const httplib::Headers headers{{"X-Tav-Session", tvd_processSession()}};
    const std::string body =
        R"({"in":{"sIn":{"REGION_CODE":23,"OP_ID":2307,)"
        R"("BEGIN_OP_TIME":"2026-06-01 00:00:00","END_OP_TIME":"2026-06-30 23:59:59"}}})";
    const auto answer = raw.Post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ52", headers,
                                 body, "application/json");
    std::printf("  the bare answer: HTTP %d, %zu bytes\n", answer ? answer->status : -1,
                answer ? answer->body.size() : 0);
    const double bare = millisOfCalls(
        kQueries,
        [&] {
            raw.Post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ52", headers, body,
                     "application/json");
        },
        3);
    report("  of which the service and the HTTP answer, not decoded", bare, direct, 0);
    if (answer)
        compareDecoding(answer->body, kQueries);
}

} // namespace

int main()
{
    defaultQuery(RsimdProcess::Backend::Sqlite,
                 "write-log query, region/operator/month, 1,000,000 entries, SQLite (50 queries)");
    if (RsimdProcess::postgresAvailable())
        defaultQuery(
            RsimdProcess::Backend::Postgres,
            "write-log query, region/operator/month, 1,000,000 entries, PostgreSQL (50 queries)");
    else
        std::printf("write-log query on PostgreSQL: skipped (set RSIM_TEST_PG)\n");
}
