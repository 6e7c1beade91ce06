// Two connections writing one SQLite file, as two service threads or processes do.
#include "driver.h"
#include "rsimd_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace rsim::db;

namespace {

class SqliteWriters : public ::testing::Test {
protected:
    void SetUp() override
    {
        first_ = connect(database_.address());
        second_ = connect(database_.address());
        first_->exec("CREATE TABLE entry (id INTEGER PRIMARY KEY, writer TEXT)");
    }

    testsupport::ScratchDatabase database_{testsupport::RsimdProcess::Backend::Sqlite};
    std::unique_ptr<rsim::db::Driver> first_;
    std::unique_ptr<rsim::db::Driver> second_;
};

TEST_F(SqliteWriters, ASecondWriterWaitsForTheFirstToCommit)
{
    Transaction tx(*first_);
    first_->exec("INSERT INTO entry (id, writer) VALUES (1, 'first')");

    std::string secondFailed;
    std::thread second([&] {
        try {
            second_->exec("INSERT INTO entry (id, writer) VALUES (2, 'second')");
        } catch (const Error& e) {
            secondFailed = e.what();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    tx.commit();
    second.join();

    EXPECT_EQ(secondFailed, "");
    EXPECT_EQ(asInt(second_->scalar("SELECT COUNT(*) FROM entry")), 2);
}

TEST_F(SqliteWriters, AWriteOnAnOutdatedSnapshotIsBusy)
{
    first_->exec("INSERT INTO entry (id, writer) VALUES (1, 'first')");
    std::optional<Error::Kind> kind;
    first_->query("SELECT id FROM entry", {}, [&](const Row&) {
        second_->exec("INSERT INTO entry (id, writer) VALUES (2, 'second')");
        try {
            first_->exec("INSERT INTO entry (id, writer) VALUES (3, 'first')");
        } catch (const Error& e) {
            kind = e.kind;
        }
    });
    EXPECT_EQ(kind, Error::Kind::Busy);
    EXPECT_EQ(asInt(first_->scalar("SELECT COUNT(*) FROM entry")), 2);
}

} // namespace
