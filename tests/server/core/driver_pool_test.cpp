// The service's connection pool: a connection always comes out of it ready for a request.
#include "rsimd_process.h"
#include "service.h"

#include <gtest/gtest.h>

using Backend = testsupport::RsimdProcess::Backend;

namespace {

class DriverPool : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !testsupport::RsimdProcess::postgresAvailable())
            GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL server for this run";
        database_ = std::make_unique<testsupport::ScratchDatabase>(GetParam());
    }

    std::unique_ptr<testsupport::ScratchDatabase> database_;
};

// A handler that fails between begin() and commit() hands its connection back mid-transaction;
// the next request on that connection must neither see nor commit its writes.
TEST_P(DriverPool, AConnectionHandedBackInATransactionComesOutAgainRolledBack)
{
    rsim::DriverPool pool(database_->address(), 1);
    pool.acquire()->exec("CREATE TABLE item (n INTEGER)");
    {
        auto db = pool.acquire();
        db->begin();
        db->exec("INSERT INTO item (n) VALUES (1)");
    }
    auto db = pool.acquire();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM item")), 0);
    rsim::db::Transaction tx(*db);
    db->exec("INSERT INTO item (n) VALUES (2)");
    tx.commit();
    EXPECT_EQ(
        rsim::db::asInt(rsim::db::connect(database_->address())->scalar("SELECT SUM(n) FROM item")),
        2);
}

INSTANTIATE_TEST_SUITE_P(Backends, DriverPool,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
