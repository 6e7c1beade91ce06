// Schema migrations on SQLite and on PostgreSQL: order, one transaction each, refusals, and
// several processes migrating one database at once.
#include "backend_fixture.h"
#include "migration.h"
#include "thrown.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

using namespace rsim::db;

namespace {

const Migration createA{1, "table a", {"CREATE TABLE a (n INTEGER)"}};
const Migration fillA{
    2, "a row in a, table b", {"INSERT INTO a (n) VALUES (2)", "CREATE TABLE b (n INTEGER)"}};
const Migration fillB{3, "a row in b", {"INSERT INTO b (n) VALUES (3)"}};

class Migrations : public testsupport::DatabaseTest {
protected:
    std::vector<std::int64_t> column(const std::string& sql)
    {
        std::vector<std::int64_t> values;
        db_->query(sql, {}, [&](const Row& row) { values.push_back(asInt(row[0])); });
        return values;
    }

    // The message of the Error that migrating throws.
    std::string refusal(const std::vector<Migration>& migrations)
    {
        return testsupport::thrownMessage<Error>([&] { migrate(*db_, migrations); });
    }
};

using Versions = std::vector<std::int64_t>;

TEST_P(Migrations, AFailedMigrationLeavesNothingOfItselfAndKeepsThoseBefore)
{
    const Migration broken{
        4, "clashes", {"INSERT INTO a (n) VALUES (4)", "CREATE TABLE a (n INTEGER)"}};
    const std::string message = refusal({createA, fillA, fillB, broken});
    EXPECT_NE(message.find("schema migration 4 (clashes) failed"), std::string::npos) << message;
    EXPECT_EQ(column("SELECT version FROM schema_version ORDER BY version"), (Versions{1, 2, 3}));
    EXPECT_EQ(column("SELECT n FROM a"), (Versions{2}));
}

// Each refused before it changes anything.
TEST_P(Migrations, RefuseANewerDatabaseAVersionAddedBelowOneAppliedAndAListOutOfOrder)
{
    const Migration createC{3, "table c", {"CREATE TABLE c (n INTEGER)"}};
    migrate(*db_, {createA, createC});
    for (const auto& [listed, said] : std::vector<std::pair<std::vector<Migration>, std::string>>{
             {{createA}, "schema is at version 3, newer than this rsimd knows (1)"},
             {{createA, fillA, createC}, "migration 2 is missing from a database at version 3"},
             {{fillA, createA}, "migration 1 is listed after 2"},
             {{createA, {1, "again", {}}}, "migration 1 is listed after 1"}})
        EXPECT_NE(refusal(listed).find(said), std::string::npos) << refusal(listed);
    EXPECT_EQ(column("SELECT version FROM schema_version ORDER BY version"), (Versions{1, 3}));
}

// Replicas starting together: without a lock, two of them would create the same table, and
// one would fail or the row would be added twice.
TEST_P(Migrations, ProcessesMigratingTogetherApplyEachMigrationOnce)
{
    std::vector<Migration> migrations{createA, fillA};
    Migration many{3, "many tables", {}};
    for (int i = 0; i < 40; ++i)
        many.statements.push_back("CREATE TABLE t" + std::to_string(i) + " (n INTEGER)");
    many.statements.push_back("INSERT INTO a (n) VALUES (3)");
    migrations.push_back(many);

    constexpr int kProcesses = 4;
    std::vector<std::unique_ptr<Driver>> connections;
    for (int i = 0; i < kProcesses; ++i)
        connections.push_back(open());
    std::latch start(kProcesses);
    std::vector<std::string> failures(kProcesses);
    std::vector<std::thread> threads;
    for (int i = 0; i < kProcesses; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            const auto at = static_cast<std::size_t>(i);
            failures[at] =
                testsupport::thrownMessage<Error>([&] { migrate(*connections[at], migrations); });
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<std::string>(kProcesses, "no error"));
    EXPECT_EQ(column("SELECT n FROM a ORDER BY n"), (Versions{2, 3}));
    EXPECT_EQ(column("SELECT version FROM schema_version ORDER BY version"), (Versions{1, 2, 3}));
}

RSIM_ON_EVERY_BACKEND(Migrations);

} // namespace
