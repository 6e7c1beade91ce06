// add_simInfo of 100,000 cards through the handler against a bare insertMany of the same rows
// into the same database, on each backend; mod_simInfo (two members of each card) and
// del_simInfo of the same cards are measured against the same yardstick.
#include "bench_support.h"

#include "tvd_client.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

using namespace tablesbench;

namespace {

// Two members of every card changed, keyed by IMSI; and the keys alone, to delete them.
void changesOf(const MResRemoteMgntDef::SRemoteSimInfoList& records, MResRemoteMgntDef::SRemoteSimInfoList& changes,
               MResRemoteMgntDef::SRemoteSimInfoList& keys)
{
    for (const auto& record : records) {
        MResRemoteMgntDef::SRemoteSimInfo change, key;
        change.set_IMSI(record.IMSI);
        change.set_STS(2);
        change.set_REMARK("已分配");
        changes.push_back(change);
        key.set_IMSI(record.IMSI);
        keys.push_back(key);
    }
}

double timedCall(BenchDatabase& base, const char* code, const MResRemoteMgntDef::SRemoteSimInfoList& records)
{
    const TvdOperation* operation = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", code);
    tvd::wire::OwnedParams in(*operation->in);
    tvd::wire::OwnedParams out(*operation->out);
    static_cast<MResRemoteMgntDef::SRemoteSimInfoList&>(in.object(1)) = records;
    return millisecondsOf([&] { callHandler(base.db(), base.box(), code, in, out); });
}

void benchHandler(BenchDatabase::Backend backend, const MResRemoteMgntDef::SRemoteSimInfoList& records)
{
    BenchDatabase base(backend);
    auto& db = base.db();
    const auto rows = storedRows(records, base.box());
    const auto names = simColumns();
    MResRemoteMgntDef::SRemoteSimInfoList changes, keys;
    changesOf(records, changes, keys);
    const double max = std::numeric_limits<double>::max();
    double bare = max, add = max, modify = max, remove = max;
    for (int round = 0; round < 2; ++round) {
        bare = std::min(bare, millisecondsOf([&] {
                            rsim::db::Transaction transaction(db);
                            db.insertMany("rsim_sim", names, rows);
                            transaction.commit();
                        }));
        db.exec("DELETE FROM rsim_sim WHERE IMSI LIKE '4600099%'");
        add = std::min(add, timedCall(base, "RMOSMQ25", records));
        modify = std::min(modify, timedCall(base, "RMOSMQ26", changes));
        remove = std::min(remove, timedCall(base, "RMOSMQ27", keys));
    }
    const std::string where = std::string(" of 100000 cards through the handler, ") + base.name();
    report("add_simInfo" + where, add, bare);
    report("mod_simInfo (2 members each)" + where + ", against the same bare insert", modify, bare);
    report("del_simInfo" + where + ", against the same bare insert", remove, bare);
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
