// add_simInfo of 100,000 cards through the whole path — middleware client, JSON over HTTP,
// rsimd's dispatch and the handler, audit rows — against a bare insertMany of the same rows
// into the service's database.
#include "bench_support.h"

#include "test_server.h"

#include "ResRemoteSimMgnt_tvd_c.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

using namespace tablesbench;

namespace {

void benchServicePath(rsim::test::Backend backend, const MResRemoteMgntDef::SRemoteSimInfoList& records)
{
    rsim::test::TestServer server(backend);
    if (!server.login("admin", "admin123"))
        throw std::runtime_error("the demo operator cannot log in");
    MResRemoteMgntApp::IResRemoteMgnt remote;
    if (remote.bind(server.address()) != 0)
        throw std::runtime_error("the service does not answer");
    MResRemoteMgntApp::SOpInfo info;
    info.set_REGION_CODE(10);
    info.set_COUNTY_CODE(1001);
    info.set_ORG_ID(100101);
    info.set_OP_ID(1);
    auto db = server.connect();
    const auto rows = storedRows(records, rsim::secrets::SecretBox::withRandomKey());
    const auto names = simColumns();
    double bare = std::numeric_limits<double>::max(), whole = bare;
    for (int round = 0; round < 2; ++round) {
        bare = std::min(bare, millisecondsOf([&] {
                            rsim::db::Transaction transaction(*db);
                            db->insertMany("rsim_sim", names, rows);
                            transaction.commit();
                        }));
        db->exec("DELETE FROM rsim_sim WHERE IMSI LIKE '4600099%'");
        CBSErrorMsg error;
        whole = std::min(whole, millisecondsOf([&] {
                             if (remote.add_simInfo(info, records, error, nullptr) != 0)
                                 throw std::runtime_error("add_simInfo refused: " + error.message + " " + error.hint);
                         }));
        db->exec("DELETE FROM rsim_sim WHERE IMSI LIKE '4600099%'");
    }
    report(std::string("add_simInfo of 100000 cards through client, rsimd and database, ") +
               (backend == rsim::test::Backend::Sqlite ? "SQLite" : "PostgreSQL"),
           whole, bare);
}

} // namespace

int main()
{
    const auto records = cards(100000);
    benchServicePath(rsim::test::Backend::Sqlite, records);
    const std::string reason = rsim::test::TestServer::skipReason(rsim::test::Backend::Postgres);
    if (reason.empty())
        benchServicePath(rsim::test::Backend::Postgres, records);
    else
        std::printf("PostgreSQL: skipped, %s\n", reason.c_str());
    return 0;
}
