#include "driver.h"

#include "postgres_driver.h"
#include "sqlite_driver.h"

#include <algorithm>

namespace rsim::db {

Value Driver::scalar(std::string_view sql, const Row& params)
{
    Value first;
    bool seen = false;
    query(sql, params, [&](const Row& row) {
        if (!seen && !row.empty())
            first = row[0];
        seen = true;
    });
    return first;
}

Transaction::Transaction(Driver& driver) : driver_(driver)
{
    driver_.begin();
}

Transaction::~Transaction()
{
    if (!done_) {
        try {
            driver_.rollback();
        } catch (...) {
            // The connection is gone; nothing was committed.
        }
    }
}

void Transaction::commit()
{
    driver_.commit();
    done_ = true;
}

std::unique_ptr<Driver> connect(const std::string& address)
{
    if (address.rfind("sqlite:", 0) == 0)
        return openSqlite(address.substr(7));
    if (address.rfind("postgresql://", 0) == 0 || address.rfind("postgres://", 0) == 0)
        return openPostgres(address);
    throw Error(Error::Kind::Connection, "unsupported database address '" + address +
                                             "': use sqlite:PATH or postgresql://USER@HOST:PORT/DB");
}

void migrate(Driver& driver, std::vector<Migration> migrations)
{
    driver.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY)");
    std::sort(migrations.begin(), migrations.end(),
              [](const Migration& a, const Migration& b) { return a.version < b.version; });
    for (const auto& migration : migrations) {
        Transaction tx(driver);
        if (!std::holds_alternative<std::monostate>(
                driver.scalar("SELECT version FROM schema_version WHERE version = ?",
                              {std::int64_t{migration.version}})))
            continue;
        for (const auto& statement : migration.statements)
            driver.exec(statement);
        driver.exec("INSERT INTO schema_version (version) VALUES (?)", {std::int64_t{migration.version}});
        tx.commit();
    }
}

std::int64_t asInt(const Value& value)
{
    if (const auto* i = std::get_if<std::int64_t>(&value))
        return *i;
    if (const auto* s = std::get_if<std::string>(&value))
        return std::strtoll(s->c_str(), nullptr, 10);
    return 0;
}

std::string asText(const Value& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* i = std::get_if<std::int64_t>(&value))
        return std::to_string(*i);
    return {};
}

} // namespace rsim::db
