// An IMSI range query with MAX_NUM 50 on an inventory of 1,000,000 cards through the handler,
// against the same SQL run directly on the driver.
#include "bench_support.h"

#include "stored_table.h"
#include "tvd_client.h"

#include <cstdlib>

using namespace tablesbench;

namespace {

constexpr int kCards = 1000000;
constexpr int kChunk = 100000;
constexpr int kQueries = 300;

// A million cards 4600088nnnnnnnn; one encrypted KI serves them all, as the query decrypts
// whatever it finds.
void fillInventory(rsim::db::Driver& db, const rsim::secrets::SecretBox& box)
{
    const auto names = simColumns();
    const auto& sim = rsim::tables::TableOf("rsim_sim");
    auto prototype = sim.batchOf(cards(1)).rows.front();
    sim.encryptSecrets(prototype, box);
    const auto imsi = static_cast<std::size_t>(sim.column("IMSI"));
    const auto iccid = static_cast<std::size_t>(sim.column("SIM_ID"));
    char text[24];
    rsim::db::Transaction transaction(db);
    for (int start = 0; start < kCards; start += kChunk) {
        std::vector<rsim::db::Row> rows(kChunk, prototype);
        for (int i = 0; i < kChunk; ++i) {
            std::snprintf(text, sizeof text, "4600088%08d", start + i);
            rows[static_cast<std::size_t>(i)][imsi] = std::string(text);
            std::snprintf(text, sizeof text, "89860088%012d", start + i);
            rows[static_cast<std::size_t>(i)][iccid] = std::string(text);
        }
        db.insertMany("rsim_sim", names, rows);
    }
    transaction.commit();
}

void benchQuery(BenchDatabase::Backend backend)
{
    BenchDatabase base(backend);
    auto& db = base.db();
    fillInventory(db, base.box());
    const char* first = "460008800500000";
    const char* last = "460008800599999";

    std::string sql;
    for (const auto& name : simColumns())
        sql += (sql.empty() ? "SELECT " : ", ") + name;
    sql += " FROM rsim_sim WHERE IMSI >= ? AND IMSI <= ? ORDER BY IMSI LIMIT 50";
    std::size_t bareRows = 0;
    const double bare = millisecondsOf([&] {
        for (int q = 0; q < kQueries; ++q) {
            std::vector<rsim::db::Row> found;
            db.query(sql, {std::string(first), std::string(last)},
                     [&](const rsim::db::Row& row) { found.push_back(row); });
            bareRows += found.size();
        }
    });

    const TvdOperation* operation = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ28");
    std::size_t handlerRows = 0;
    const double handler = millisecondsOf([&] {
        for (int q = 0; q < kQueries; ++q) {
            tvd::wire::OwnedParams in(*operation->in);
            tvd::wire::OwnedParams out(*operation->out);
            auto& criteria = static_cast<MResRemoteMgntDef::SRemoteSimQryIn&>(in.object(0));
            criteria.set_START_IMSI(first);
            criteria.set_END_IMSI(last);
            criteria.set_MAX_NUM(50);
            callHandler(db, base.box(), "RMOSMQ28", in, out);
            handlerRows += static_cast<std::size_t>(static_cast<CTvdBasicListObject&>(out.object(0)).count());
        }
    });
    if (bareRows != handlerRows || handlerRows != 50U * kQueries)
        throw std::runtime_error("the two queries found different rows");
    report(std::string("qry_simInfo, IMSI range, MAX_NUM 50, 1000000 cards, per query, ") + base.name(),
           handler / kQueries, bare / kQueries);
}

} // namespace

int main()
{
    benchQuery(BenchDatabase::Backend::Sqlite);
    if (std::getenv("RSIM_TEST_PG") != nullptr)
        benchQuery(BenchDatabase::Backend::Postgres);
    else
        std::printf("PostgreSQL: skipped, RSIM_TEST_PG is not set\n");
    return 0;
}
