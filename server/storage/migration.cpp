#include "driver.h"

#include <algorithm>
#include <set>

namespace rsim::db {
namespace {

std::vector<const Migration*> inVersionOrder(const std::vector<Migration>& migrations)
{
    std::vector<const Migration*> ordered;
    std::set<int> versions;
    for (const auto& migration : migrations) {
        if (!versions.insert(migration.version).second)
            throw Error(Error::Kind::Other,
                        "schema migration version " + std::to_string(migration.version) + " is listed twice");
        ordered.push_back(&migration);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const Migration* a, const Migration* b) { return a->version < b->version; });
    return ordered;
}

} // namespace

void migrate(Driver& driver, const std::vector<Migration>& migrations)
{
    driver.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY)");
    for (const Migration* migration : inVersionOrder(migrations)) {
        const Row version{std::int64_t{migration->version}};
        Transaction tx(driver);
        if (!std::holds_alternative<std::monostate>(
                driver.scalar("SELECT version FROM schema_version WHERE version = ?", version)))
            continue;
        for (const auto& statement : migration->statements) {
            try {
                driver.exec(statement);
            } catch (const Error& e) {
                throw Error(e.kind, "schema migration " + std::to_string(migration->version) + " failed: " + e.what());
            }
        }
        driver.exec("INSERT INTO schema_version (version) VALUES (?)", version);
        tx.commit();
    }
}

} // namespace rsim::db
