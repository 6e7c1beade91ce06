#include "sqlite_driver.h"

#include <sqlite3.h>

#include <filesystem>
#include <unordered_map>

namespace rsim::db {
namespace {

Error sqliteError(sqlite3* db, int code, std::string_view what)
{
    const int extended = sqlite3_extended_errcode(db);
    Error::Kind kind = Error::Kind::Other;
    if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY)
        kind = Error::Kind::Unique;
    else if (extended == SQLITE_CONSTRAINT_FOREIGNKEY)
        kind = Error::Kind::ForeignKey;
    else if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED)
        kind = Error::Kind::Busy;
    return Error(kind, std::string(what) + ": " + sqlite3_errmsg(db));
}

class SqliteDriver : public Driver {
public:
    explicit SqliteDriver(const std::string& path)
    {
        if (path != ":memory:") {
            const auto folder = std::filesystem::path(path).parent_path();
            std::error_code ignored;
            if (!folder.empty())
                std::filesystem::create_directories(folder, ignored);
        }
        const int rc = sqlite3_open_v2(path.c_str(), &db_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                       nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw Error(Error::Kind::Connection, "cannot open SQLite database '" + path + "': " + message);
        }
        sqlite3_busy_timeout(db_, 10000);
        try {
            exec("PRAGMA journal_mode=WAL");
            exec("PRAGMA synchronous=NORMAL");
            exec("PRAGMA foreign_keys=ON");
        } catch (const Error& e) {
            sqlite3_close(db_);
            throw Error(Error::Kind::Connection, "cannot use SQLite database '" + path + "': " + e.what());
        }
    }

    ~SqliteDriver() override
    {
        for (auto& [sql, statement] : statements_)
            sqlite3_finalize(statement);
        sqlite3_close(db_);
    }

    std::string_view dialect() const override { return "sqlite"; }

    void exec(std::string_view sql, const Row& params = {}) override { execCount(sql, params); }

    std::int64_t execCount(std::string_view sql, const Row& params = {}) override
    {
        sqlite3_stmt* statement = prepare(sql, params);
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        sqlite3_reset(statement);
        if (rc != SQLITE_DONE)
            throw sqliteError(db_, rc, sql);
        return sqlite3_changes(db_);
    }

    void query(std::string_view sql, const Row& params,
               const std::function<void(const Row&)>& onRow) override
    {
        sqlite3_stmt* statement = prepare(sql, params);
        const int columns = sqlite3_column_count(statement);
        Row row(static_cast<std::size_t>(columns));
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i)
                row[static_cast<std::size_t>(i)] = column(statement, i);
            try {
                onRow(row);
            } catch (...) {
                sqlite3_reset(statement);
                throw;
            }
        }
        sqlite3_reset(statement);
        if (rc != SQLITE_DONE)
            throw sqliteError(db_, rc, sql);
    }

    void insertMany(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<Row>& rows) override
    {
        std::string sql = "INSERT INTO " + std::string(table) + " (";
        std::string marks;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += (i ? ", " : "") + columns[i];
            marks += i ? ", ?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        for (const auto& row : rows)
            exec(sql, row);
    }

    void begin() override { exec("BEGIN IMMEDIATE"); }
    void commit() override { exec("COMMIT"); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(db_))
            exec("ROLLBACK");
    }
    bool inTransaction() const override { return !sqlite3_get_autocommit(db_); }

    std::string autoIncrementKey() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }
    std::string insertIgnoring(std::string_view table, const std::vector<std::string>& columns) const override
    {
        std::string sql = "INSERT OR IGNORE INTO " + std::string(table) + " (";
        std::string marks;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += (i ? ", " : "") + columns[i];
            marks += i ? ", ?" : "?";
        }
        return sql + ") VALUES (" + marks + ")";
    }

private:
    sqlite3_stmt* prepare(std::string_view sql, const Row& params)
    {
        auto [it, added] = statements_.try_emplace(std::string(sql), nullptr);
        if (added) {
            const int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                              SQLITE_PREPARE_PERSISTENT, &it->second, nullptr);
            if (rc != SQLITE_OK) {
                statements_.erase(it);
                throw sqliteError(db_, rc, sql);
            }
        }
        sqlite3_stmt* statement = it->second;
        sqlite3_clear_bindings(statement);
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            if (const auto* n = std::get_if<std::int64_t>(&params[i]))
                sqlite3_bind_int64(statement, index, *n);
            else if (const auto* s = std::get_if<std::string>(&params[i]))
                sqlite3_bind_text(statement, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(statement, index);
        }
        return statement;
    }

    static Value column(sqlite3_stmt* statement, int i)
    {
        switch (sqlite3_column_type(statement, i)) {
        case SQLITE_INTEGER: return std::int64_t{sqlite3_column_int64(statement, i)};
        case SQLITE_NULL: return std::monostate{};
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, i)));
        }
        }
    }

    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

} // namespace

std::unique_ptr<Driver> openSqlite(const std::string& path)
{
    return std::make_unique<SqliteDriver>(path);
}

} // namespace rsim::db
