// The service's one storage interface, with an SQLite and a PostgreSQL implementation.
//
// SQL uses '?' placeholders in both dialects. Dialect differences are named members here, so
// callers never test which database they talk to. A Driver is one connection: use it from one
// thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rsim::db {

// NULL, a 64-bit integer, or UTF-8 text.
using Value = std::variant<std::monostate, std::int64_t, std::string>;
using Row = std::vector<Value>;

// Every driver failure. Busy: the database stayed locked longer than the busy timeout, or a
// concurrent transaction conflicted; retrying later may succeed. Connection: the database cannot
// be reached, the connection was lost or abandoned past its deadline, or the server takes no
// writes (a standby, or read-only); a new connection may reach the primary. Full: the
// database's disk or file system is full.
struct Error : std::runtime_error {
    enum class Kind { Unique, ForeignKey, Busy, Connection, Full, Other };
    Error(Kind kind, const std::string& message) : std::runtime_error(message), kind(kind) {}
    Kind kind;
};

// The columns of one row of a query where the driver holds them, valid while its onRow runs:
// read without a copy.
class Columns {
public:
    enum class Kind { Null, Integer, Text };
    // A column's value as the driver holds it, read in one call.
    struct Cell {
        Kind kind = Kind::Null;
        std::int64_t integer = 0; // of an Integer cell
        std::string_view text;    // of a Text cell
        Value value() const;
    };
    virtual std::size_t count() const = 0;
    virtual Cell cell(std::size_t column) const = 0;
    // The cells of the first cells.size() columns, in one call.
    virtual void cells(std::span<Cell> cells) const;

protected:
    ~Columns() = default;
};

class Driver {
public:
    virtual ~Driver() = default;

    // One statement per call. Statements are prepared once per driver and SQL text.
    virtual void exec(std::string_view sql, const Row& params = {}) = 0;
    // Rows changed by one INSERT, UPDATE or DELETE.
    virtual std::int64_t execCount(std::string_view sql, const Row& params = {}) = 0;
    // Integer columns come back as int64, text as string, NULL as monostate. onRow may run
    // further queries on this driver.
    void query(std::string_view sql, const Row& params,
               const std::function<void(const Row&)>& onRow);
    // The same, each row's columns read where the driver holds them.
    virtual void queryColumns(std::string_view sql, const Row& params,
                              const std::function<void(const Columns&)>& onRow) = 0;
    // Many rows into table(columns), all or nothing: SQLite reuses one prepared insert,
    // PostgreSQL sends COPY. Runs in the open transaction, or in one of its own.
    virtual void insertMany(std::string_view table, const std::vector<std::string>& columns,
                            const std::vector<Row>& rows) = 0;

    // All or nothing; a second begin() before commit() or rollback() is an error, and so is a
    // commit() without begin(). rollback() without a transaction does nothing.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;
    // The open transaction's tables are growing much within it (a batch stored chunk after
    // chunk): statements are planned for their values from now until it ends, as a plan made
    // when a table was small would scan all of it where its index finds a row. SQLite's
    // planner does not keep such plans.
    virtual void tablesGrowing() {}

    // A condition on column with one parameter, a containsPattern(): ASCII letters match
    // regardless of case, every other character (Chinese, digits, accented letters) only
    // itself, the same on both databases.
    virtual std::string containsCondition(std::string_view column) const;
    // Ends a SELECT whose rows no other transaction may change until the open one ends, while
    // others may read them so too: " FOR SHARE" on PostgreSQL. SQLite needs nothing: a
    // transaction there holds the database's write lock from its begin.
    virtual std::string_view forShare() const { return ""; }

    // Held by one connection of all that share the database while it migrates the schema;
    // waits for another holder. SQLite needs none: each migration's transaction takes the
    // database's write lock.
    virtual void lockSchema() {}
    virtual void unlockSchema() {}

    // Whether the connection failed in a way that leaves it unusable (lost, abandoned, or on a
    // server that takes no writes): it is closed, never used again.
    virtual bool lost() const { return false; }
    // Throws an Error of kind Connection, and the connection is lost(), unless its server takes
    // writes now: a PostgreSQL standby or read-only server does not.
    virtual void requireWritable() {}

    // "INSERT INTO table (columns) VALUES (?, …) ON CONFLICT DO NOTHING": a row whose unique
    // key exists already is skipped (same text in both dialects).
    std::string insertIgnoring(std::string_view table,
                               const std::vector<std::string>& columns) const;
    // The first column of the first row, or NULL when there is no row.
    Value scalar(std::string_view sql, const Row& params = {});
};

// Begins in the constructor and rolls back in the destructor unless committed.
class Transaction {
public:
    explicit Transaction(Driver& driver);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Driver& driver_;
    bool done_ = false;
};

// "sqlite:PATH", "sqlite::memory:", "postgresql://…" or "postgres://…". A bad address, a
// database that cannot be opened or reached throws Error naming it. On PostgreSQL each round trip
// that takes longer than roundTripLimit (0: no limit) is abandoned with an Error of kind
// Connection, and the address gets the timeouts and keepalives of withTimeouts() it lacks.
std::unique_ptr<Driver> connect(const std::string& address,
                                std::chrono::milliseconds roundTripLimit = {});

// The address with its password, in the user part or as a password parameter, shown as "***":
// for every message and log line that names a database.
std::string redacted(const std::string& address);

// Lenient readers of a column: an integer as text, text as an integer (0 when not a number),
// NULL as 0 or "".
std::int64_t asInt(const Value& value);
std::string asText(const Value& value);

// "%text%" with %, _ and \ escaped, so that what an operator types matches literally inside a
// longer text under containsCondition().
std::string containsPattern(std::string_view text);

} // namespace rsim::db
