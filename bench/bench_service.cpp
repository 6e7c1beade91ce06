// The service's figures: a small query round trip, a 100,000-card commit, and an IMSI range
// query on 1,000,000 cards, each against a baseline measured in the same run.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"
#include "secrets.h"
#include "sysmgnt_def_tvd_c.h"

#include <httplib.h>

#include <cstdlib>

using namespace MResRemoteMgntDef;
using testsupport::RsimdProcess;

namespace {

SRemoteSimInfo card(long long n)
{
    char imsi[16], iccid[21];
    std::snprintf(imsi, sizeof imsi, "46002%010lld", n);
    std::snprintf(iccid, sizeof iccid, "898602%014lld", n);
    SRemoteSimInfo sim;
    sim.set_IMSI(imsi);
    sim.set_SIM_ID(iccid);
    sim.set_PIN1("1234");
    sim.set_PIN2("5678");
    sim.set_PUK1("12345678");
    sim.set_PUK2("87654321");
    sim.set_KI_CODE("0123456789ABCDEF0123456789ABCDEF");
    sim.set_RES_CODE("C64");
    sim.set_VENDOR_CODE("V01");
    sim.set_SMSP("+8613800200500");
    sim.set_REGION_CODE(10);
    sim.set_COUNTY_CODE(1001);
    sim.set_ORG_ID(100101);
    sim.set_STS(1);
    return sim;
}

MResRemoteMgntApp::SOpInfo opInfo()
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(1);
    return info;
}

void login(const RsimdProcess& server)
{
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        std::exit(1);
}

// Rows of the same cards as the service stores them (all 44 columns, KI sealed).
std::vector<rsim::db::Row> rowsOf(const SRemoteSimInfoList& cards, const rsim::secrets::SecretBox& box)
{
    std::vector<rsim::db::Row> rows;
    rows.reserve(cards.size());
    for (const auto& c : cards) {
        rsim::db::Row row;
        auto& r = const_cast<SRemoteSimInfo&>(c);
        void* addresses[44];
        r.get_members(addresses);
        const STvdTypeDesc* desc = r.get_typeDesc();
        for (int i = 0; i < desc->memberCount; ++i) {
            switch (desc->members[i].kind) {
            case TVD_STRING: {
                const auto& text = *static_cast<std::string*>(addresses[i]);
                row.emplace_back(i == SRemoteSimInfo::idx_KI_CODE ? box.encrypt(text) : text);
                break;
            }
            case TVD_DATETIME: row.emplace_back(); break;
            case TVD_INT16: row.emplace_back(std::int64_t{*static_cast<std::int16_t*>(addresses[i])}); break;
            case TVD_INT32: row.emplace_back(std::int64_t{*static_cast<std::int32_t*>(addresses[i])}); break;
            default: row.emplace_back(*static_cast<std::int64_t*>(addresses[i])); break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> simColumns()
{
    std::vector<std::string> names;
    for (const STvdMemberTypeInfo* m = SRemoteSimInfo::memberTable(); m->kind != TVD_END; ++m)
        names.push_back(m->name);
    return names;
}

void queryRoundTrip()
{
    RsimdProcess server;
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SResRemoteProvCode criteria;
    criteria.set_PROVINCE_CODE("44");
    const std::string body = R"({"in":{"sResRemoteProvCode":{"PROVINCE_CODE":"44"}}})";
    httplib::Client raw(server.address());
    raw.set_tcp_nodelay(true);
    raw.set_keep_alive(true);
    const httplib::Headers headers{{"X-Tav-Session", tvd_processSession()}};
    constexpr int kCalls = 500;
    const double middleware = millis([&] {
        for (int i = 0; i < kCalls; ++i) {
            SResRemoteProvCodeList out;
            CBSErrorMsg error;
            client.qry_provinceCode(criteria, out, error, nullptr);
        }
    }, 3);
    const double bare = millis([&] {
        for (int i = 0; i < kCalls; ++i)
            raw.Post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ04", headers, body, "application/json");
    }, 3);
    report("query round trip through CResRemoteSim's proxy (500 calls)", middleware, bare, 2);
}

void commitHundredThousand(RsimdProcess::Backend backend, const char* name)
{
    RsimdProcess server(backend);
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SRemoteSimInfoList cards;
    cards.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        cards.push_back(card(i));
    CBSErrorMsg error;
    const double service = millis([&] {
        if (client.add_simInfo(opInfo(), cards, error, nullptr) != 0)
            std::printf("refused: %s %s\n", error.message.c_str(), error.hint.c_str());
    });
    auto db = rsim::db::connect(server.database());
    db->exec("CREATE TABLE bench_sim AS SELECT * FROM rsim_sim WHERE 1 = 0");
    db->exec("CREATE UNIQUE INDEX bench_sim_imsi ON bench_sim (IMSI)");
    db->exec("CREATE UNIQUE INDEX bench_sim_sim ON bench_sim (SIM_ID)");
    const auto box = rsim::secrets::SecretBox::withRandomKey();
    const double bare = millis([&] {
        const auto rows = rowsOf(cards, box);
        rsim::db::Transaction tx(*db);
        db->insertMany("bench_sim", simColumns(), rows);
        tx.commit();
    });
    report(name, service, bare, 4);
}

void rangeQueryOnAMillion()
{
    RsimdProcess server;
    {
        auto db = rsim::db::connect(server.database());
        const auto box = rsim::secrets::SecretBox::fromKeyFile(server.keyFile(), false);
        for (int batch = 0; batch < 10; ++batch) {
            SRemoteSimInfoList cards;
            for (int i = 0; i < 100000; ++i)
                cards.push_back(card(batch * 100000LL + i));
            rsim::db::Transaction tx(*db);
            db->insertMany("rsim_sim", simColumns(), rowsOf(cards, box));
            tx.commit();
        }
    }
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI("460020000500000");
    criteria.set_END_IMSI("460020000600000");
    criteria.set_MAX_NUM(50);
    {
        SRemoteSimInfoList found;
        CBSErrorMsg error;
        client.qry_simInfo(criteria, found, error, nullptr);
        std::printf("range query answers %d cards (%s)\n", found.count(), error.message.c_str());
    }
    constexpr int kQueries = 100;
    const double service = millis([&] {
        for (int i = 0; i < kQueries; ++i) {
            SRemoteSimInfoList found;
            CBSErrorMsg error;
            client.qry_simInfo(criteria, found, error, nullptr);
        }
    }, 3);
    auto db = rsim::db::connect(server.database());
    std::string columns;
    for (const auto& c : simColumns())
        columns += (columns.empty() ? "" : ", ") + c;
    const std::string sql = "SELECT " + columns + " FROM rsim_sim WHERE IMSI >= ? AND IMSI <= ? ORDER BY IMSI LIMIT 50";
    const double direct = millis([&] {
        for (int i = 0; i < kQueries; ++i)
            db->query(sql, {std::string("460020000500000"), std::string("460020000600000")}, [](const rsim::db::Row&) {});
    }, 3);
    report("IMSI range query, MAX_NUM 50, on 1,000,000 cards (100 queries)", service, direct, 3);
}

} // namespace

int main()
{
    queryRoundTrip();
    commitHundredThousand(RsimdProcess::Backend::Sqlite, "add_simInfo of 100,000 cards, SQLite");
    if (RsimdProcess::postgresAvailable())
        commitHundredThousand(RsimdProcess::Backend::Postgres, "add_simInfo of 100,000 cards, PostgreSQL");
    else
        std::printf("add_simInfo on PostgreSQL: skipped (set RSIM_TEST_PG)\n");
    rangeQueryOnAMillion();
}
