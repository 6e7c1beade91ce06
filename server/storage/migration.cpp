#include "migration.h"

#include <set>

namespace rsim::db {
namespace {

void requireAscending(const std::vector<Migration>& migrations)
{
    for (std::size_t i = 1; i < migrations.size(); ++i)
        if (migrations[i].version <= migrations[i - 1].version)
            throw Error(Error::Kind::Other,
                        "schema migration " + std::to_string(migrations[i].version) +
                            " is listed after " + std::to_string(migrations[i - 1].version) +
                            ": versions must ascend");
}

// Releases the schema lock however migrating ends.
class SchemaLock {
public:
    explicit SchemaLock(Driver& driver) : driver_(driver) { driver_.lockSchema(); }
    ~SchemaLock()
    {
        try {
            driver_.unlockSchema();
        } catch (...) {
            // The connection is gone, and its lock with it.
        }
    }
    SchemaLock(const SchemaLock&) = delete;
    SchemaLock& operator=(const SchemaLock&) = delete;

private:
    Driver& driver_;
};

std::set<int> appliedVersions(Driver& driver)
{
    std::set<int> applied;
    driver.query("SELECT version FROM schema_version", {},
                 [&](const Row& row) { applied.insert(static_cast<int>(asInt(row[0]))); });
    return applied;
}

void refuseUnknownVersions(const std::set<int>& applied, const std::vector<Migration>& migrations)
{
    if (applied.empty() || migrations.empty())
        return;
    const int newest = *applied.rbegin();
    if (newest > migrations.back().version)
        throw Error(Error::Kind::Other, "the database's schema is at version " +
                                            std::to_string(newest) +
                                            ", newer than this rsimd knows (" +
                                            std::to_string(migrations.back().version) +
                                            "): run the rsimd that upgraded it, or a newer one");
    for (const auto& migration : migrations)
        if (migration.version < newest && !applied.contains(migration.version))
            throw Error(Error::Kind::Other,
                        "schema migration " + std::to_string(migration.version) +
                            " is missing from a database at version " + std::to_string(newest) +
                            ": a new migration must take a version above the last released one");
}

void apply(Driver& driver, const Migration& migration)
{
    const Row version{std::int64_t{migration.version}};
    Transaction tx(driver);
    // Without a schema lock (SQLite) another process may have applied it since it was read.
    if (!std::holds_alternative<std::monostate>(
            driver.scalar("SELECT version FROM schema_version WHERE version = ?", version)))
        return;
    for (const auto& statement : migration.statements) {
        try {
            driver.exec(statement);
        } catch (const Error& e) {
            throw Error(e.kind, "schema migration " + std::to_string(migration.version) + " (" +
                                    migration.description + ") failed: " + e.what());
        }
    }
    driver.exec("INSERT INTO schema_version (version) VALUES (?)", version);
    tx.commit();
}

} // namespace

void migrate(Driver& driver, const std::vector<Migration>& migrations)
{
    requireAscending(migrations);
    SchemaLock lock(driver);
    {
        Transaction tx(driver);
        driver.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY)");
        tx.commit();
    }
    const std::set<int> applied = appliedVersions(driver);
    refuseUnknownVersions(applied, migrations);
    for (const auto& migration : migrations)
        if (!applied.contains(migration.version))
            apply(driver, migration);
}

} // namespace rsim::db
