// The service's connection pool: a connection always comes out of it ready for a request.
#include "backend_fixture.h"
#include "service.h"

#include <gtest/gtest.h>

namespace {

using DriverPool = testsupport::DatabaseTest;

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
    EXPECT_EQ(number("SELECT SUM(n) FROM item"), 2);
}

RSIM_ON_EVERY_BACKEND(DriverPool);

} // namespace
