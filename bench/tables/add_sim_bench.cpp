// add_simInfo of 100,000 cards through the handler against a bare insertMany of the same rows
// into the same database, on each backend.
#include "bench_support.h"

#include "tvd_client.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

using namespace tablesbench;

namespace {

void benchHandler(BenchDatabase::Backend backend, const MResRemoteMgntDef::SRemoteSimInfoList& records)
{
    BenchDatabase base(backend);
    auto& db = base.db();
    const auto rows = storedRows(records, base.box());
    const auto names = simColumns();
    double bare = std::numeric_limits<double>::max(), handler = bare;
    for (int round = 0; round < 2; ++round) {
        bare = std::min(bare, millisecondsOf([&] {
                            rsim::db::Transaction transaction(db);
                            db.insertMany("rsim_sim", names, rows);
                            transaction.commit();
                        }));
        db.exec("DELETE FROM rsim_sim WHERE IMSI LIKE '4600099%'");
        tvd::wire::OwnedParams in(*tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ25")->in);
        tvd::wire::OwnedParams out(*tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ25")->out);
        static_cast<MResRemoteMgntDef::SRemoteSimInfoList&>(in.object(1)) = records;
        handler = std::min(handler, millisecondsOf([&] { callHandler(db, base.box(), "RMOSMQ25", in, out); }));
        db.exec("DELETE FROM rsim_sim WHERE IMSI LIKE '4600099%'");
    }
    report(std::string("add_simInfo of 100000 cards through the handler, ") + base.name(), handler, bare);
}

} // namespace

int main()
{
    const auto records = cards(100000);
    benchHandler(BenchDatabase::Backend::Sqlite, records);
    if (std::getenv("RSIM_TEST_PG") != nullptr)
        benchHandler(BenchDatabase::Backend::Postgres, records);
    else
        std::printf("PostgreSQL: skipped, RSIM_TEST_PG is not set\n");
    return 0;
}
