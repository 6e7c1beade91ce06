#include "sqlite_driver.h"

#include "sql_text.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <filesystem>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>

namespace rsim::db {
namespace {

constexpr int kBusyTimeoutMs = 10000;
// Statements kept prepared per connection; idle ones are dropped beyond this, because callers
// build some SQL texts from values (a LIMIT, a set of criteria).
constexpr std::size_t kCachedStatements = 256;
// Rows one INSERT of insertMany() takes at most, and its parameters at most (SQLite's oldest
// limit is 999).
constexpr std::size_t kRowsPerInsert = 64;
constexpr std::size_t kParametersPerInsert = 999;

Error sqliteError(sqlite3* db, std::string_view what)
{
    const int code = sqlite3_extended_errcode(db);
    Error::Kind kind = Error::Kind::Other;
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
        kind = Error::Kind::Unique;
    else if (code == SQLITE_CONSTRAINT_FOREIGNKEY)
        kind = Error::Kind::ForeignKey;
    else if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED)
        kind = Error::Kind::Busy;
    else if (code == SQLITE_FULL)
        kind = Error::Kind::Full;
    return Error(kind, std::string(sqlite3_errmsg(db)) + " (in: " + std::string(what) + ")");
}

bool onlyBlanksAndSemicolons(const char* text)
{
    for (; *text; ++text)
        if (!std::isspace(static_cast<unsigned char>(*text)) && *text != ';')
            return false;
    return true;
}

// A statement in use: a cached one is reset when done, a one-off one is finalized.
class Statement {
public:
    Statement(sqlite3_stmt* statement, bool oneOff) : statement_(statement), oneOff_(oneOff) {}
    Statement(Statement&& other) noexcept
        : statement_(std::exchange(other.statement_, nullptr)), oneOff_(other.oneOff_)
    {}
    ~Statement() { oneOff_ ? sqlite3_finalize(statement_) : sqlite3_reset(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_;
    bool oneOff_;
};

class SqliteDriver : public Driver {
public:
    explicit SqliteDriver(const std::string& path);
    ~SqliteDriver() override;

    void exec(std::string_view sql, const Row& params = {}) override { execCount(sql, params); }
    std::int64_t execCount(std::string_view sql, const Row& params = {}) override;
    void queryColumns(std::string_view sql, const Row& params,
                      const std::function<void(const Columns&)>& onRow) override;
    void insertMany(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<Row>& rows) override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return !sqlite3_get_autocommit(db_); }

private:
    void open(const std::string& path);
    void close();
    void step(const Statement& statement, std::string_view sql);
    Statement prepared(std::string_view sql, const Row& params);
    Statement prepared(std::string_view sql);
    sqlite3_stmt* compile(std::string_view sql, unsigned flags);
    // The values of all rows, in order, to the statement's parameters.
    void bind(sqlite3_stmt* statement, std::string_view sql, std::span<const Row> rows);
    void dropIdleStatements();

    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

SqliteDriver::SqliteDriver(const std::string& path)
{
    // Without memory statistics SQLite's allocator takes no process-wide lock, so that
    // connections on different threads do not queue for it. Only possible before SQLite starts.
    static const int unlocked = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)unlocked;
    if (path.empty())
        throw Error(Error::Kind::Connection,
                    "the SQLite address names no file: use sqlite:PATH or sqlite::memory:");
    try {
        open(path);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        exec("PRAGMA journal_mode=WAL");
        // Every commit is synced before it is acknowledged: a power loss keeps the cards, their
        // audit rows and their stored answers that a client was told were stored.
        exec("PRAGMA synchronous=FULL");
        exec("PRAGMA foreign_keys=ON");
    } catch (const Error& e) {
        close();
        throw Error(Error::Kind::Connection,
                    "cannot use the SQLite database '" + path + "': " + e.what());
    }
}

SqliteDriver::~SqliteDriver()
{
    close();
}

void SqliteDriver::close()
{
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    statements_.clear();
    sqlite3_close(db_);
}

void SqliteDriver::open(const std::string& path)
{
    if (path != ":memory:") {
        const auto folder = std::filesystem::path(path).parent_path();
        std::error_code failure;
        if (!folder.empty())
            std::filesystem::create_directories(folder, failure);
        if (failure)
            throw Error(Error::Kind::Connection, "cannot create its folder: " + failure.message());
        // Made readable by its owner only, whatever the umask: it holds password hashes, PINs
        // and parameters. SQLite gives its WAL and shared-memory files the database's mode.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        throw Error(Error::Kind::Connection, db_ ? sqlite3_errmsg(db_) : "out of memory");
    // SQLite silently falls back to read-only when the file is not writable.
    if (sqlite3_db_readonly(db_, "main") == 1)
        throw Error(Error::Kind::Connection, "the file is not writable");
    sqlite3_extended_result_codes(db_, 1);
}

std::int64_t SqliteDriver::execCount(std::string_view sql, const Row& params)
{
    const Statement statement = prepared(sql, params);
    step(statement, sql);
    return sqlite3_changes64(db_);
}

// Runs a statement to its end, ignoring any rows.
void SqliteDriver::step(const Statement& statement, std::string_view sql)
{
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw sqliteError(db_, sql);
}

// A row of a statement as it stands after a step.
class StatementColumns final : public Columns {
public:
    explicit StatementColumns(sqlite3_stmt* statement) : statement_(statement) {}
    std::size_t count() const override
    {
        return static_cast<std::size_t>(sqlite3_column_count(statement_));
    }
    // One call into SQLite a column: each sqlite3_column_* call locks and checks the statement
    // again. The value it gives is unprotected, which is safe on this connection: it has no
    // mutex (SQLITE_OPEN_NOMUTEX) and one thread uses it at a time.
    Cell cell(std::size_t column) const override
    {
        sqlite3_value* value = sqlite3_column_value(statement_, index(column));
        switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER: return {Kind::Integer, sqlite3_value_int64(value), {}};
        case SQLITE_NULL: return {};
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return {Kind::Text, 0, {text, static_cast<std::size_t>(sqlite3_value_bytes(value))}};
        }
        }
    }
    void cells(std::span<Cell> cells) const override
    {
        for (std::size_t i = 0; i < cells.size(); ++i)
            cells[i] = StatementColumns::cell(i);
    }

private:
    static int index(std::size_t column) { return static_cast<int>(column); }
    sqlite3_stmt* statement_;
};

void SqliteDriver::queryColumns(std::string_view sql, const Row& params,
                                const std::function<void(const Columns&)>& onRow)
{
    const Statement statement = prepared(sql, params);
    const StatementColumns columns(statement.get());
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        onRow(columns);
    if (rc != SQLITE_DONE)
        throw sqliteError(db_, sql);
}

void SqliteDriver::insertMany(std::string_view table, const std::vector<std::string>& columns,
                              const std::vector<Row>& rows)
{
    requireRowWidths(table, columns, rows);
    std::optional<Transaction> own;
    if (!inTransaction())
        own.emplace(*this);
    // Several rows per statement spare SQLite most of its per-statement work. The statements
    // take a power of two of rows, so that a table needs only a few of them prepared.
    const std::size_t most = std::bit_floor(
        std::clamp<std::size_t>(kParametersPerInsert / columns.size(), 1, kRowsPerInsert));
    for (std::size_t done = 0; done < rows.size();) {
        const std::size_t n = std::bit_floor(std::min(most, rows.size() - done));
        const std::string sql = insertStatement(table, columns, n);
        const Statement statement = prepared(sql);
        bind(statement.get(), sql, std::span(rows).subspan(done, n));
        step(statement, sql);
        done += n;
    }
    if (own)
        own->commit();
}

void SqliteDriver::begin()
{
    if (inTransaction())
        throw Error(Error::Kind::Other, "a transaction is open already; transactions do not nest");
    // IMMEDIATE takes the write lock now (waiting up to the busy timeout), so that two writers
    // never deadlock upgrading their read locks.
    exec("BEGIN IMMEDIATE");
}

void SqliteDriver::commit()
{
    if (!inTransaction())
        throw Error(Error::Kind::Other, "commit without an open transaction");
    exec("COMMIT");
}

void SqliteDriver::rollback()
{
    if (inTransaction())
        exec("ROLLBACK");
}

Statement SqliteDriver::prepared(std::string_view sql, const Row& params)
{
    Statement inUse = prepared(sql);
    bind(inUse.get(), sql, std::span(&params, 1));
    return inUse;
}

Statement SqliteDriver::prepared(std::string_view sql)
{
    const std::string key(sql);
    sqlite3_stmt* statement = nullptr;
    bool oneOff = false;
    if (auto cached = statements_.find(key); cached == statements_.end()) {
        if (statements_.size() >= kCachedStatements)
            dropIdleStatements();
        statement = compile(sql, SQLITE_PREPARE_PERSISTENT);
        statements_.emplace(key, statement);
    } else if (sqlite3_stmt_busy(cached->second)) {
        // The same SQL is running already: a query inside another's onRow.
        statement = compile(sql, 0);
        oneOff = true;
    } else {
        statement = cached->second;
    }
    return Statement(statement, oneOff);
}

sqlite3_stmt* SqliteDriver::compile(std::string_view sql, unsigned flags)
{
    sqlite3_stmt* statement = nullptr;
    const char* rest = nullptr;
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), flags, &statement,
                           &rest) != SQLITE_OK)
        throw sqliteError(db_, sql);
    const std::string tail(rest, static_cast<std::size_t>(sql.data() + sql.size() - rest));
    if (statement == nullptr || !onlyBlanksAndSemicolons(tail.c_str())) {
        sqlite3_finalize(statement);
        throw Error(Error::Kind::Other,
                    "expected exactly one SQL statement in: " + std::string(sql));
    }
    return statement;
}

void SqliteDriver::bind(sqlite3_stmt* statement, std::string_view sql, std::span<const Row> rows)
{
    sqlite3_clear_bindings(statement);
    std::size_t given = 0;
    for (const auto& row : rows)
        given += row.size();
    if (static_cast<std::size_t>(sqlite3_bind_parameter_count(statement)) != given)
        throw Error(
            Error::Kind::Other,
            "the statement takes " + std::to_string(sqlite3_bind_parameter_count(statement)) +
                " parameters but " + std::to_string(given) + " were given: " + std::string(sql));
    int index = 0;
    for (const auto& row : rows)
        for (const auto& value : row) {
            ++index;
            if (const auto* n = std::get_if<std::int64_t>(&value))
                sqlite3_bind_int64(statement, index, *n);
            else if (const auto* s = std::get_if<std::string>(&value))
                sqlite3_bind_text64(statement, index, s->data(), s->size(), SQLITE_TRANSIENT,
                                    SQLITE_UTF8);
            else
                sqlite3_bind_null(statement, index);
        }
}

void SqliteDriver::dropIdleStatements()
{
    std::erase_if(statements_, [](const auto& entry) {
        if (sqlite3_stmt_busy(entry.second))
            return false;
        sqlite3_finalize(entry.second);
        return true;
    });
}

} // namespace

std::unique_ptr<Driver> openSqlite(const std::string& path)
{
    return std::make_unique<SqliteDriver>(path);
}

} // namespace rsim::db
