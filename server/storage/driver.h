// The service's one storage interface, with an SQLite and a PostgreSQL implementation.
//
// SQL uses '?' placeholders in both dialects. Dialect differences are named members here, so
// callers never test which database they talk to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rsim::db {

// NULL, a 64-bit integer, or UTF-8 text.
using Value = std::variant<std::monostate, std::int64_t, std::string>;
using Row = std::vector<Value>;

struct Error : std::runtime_error {
    enum class Kind { Unique, ForeignKey, Busy, Connection, Other };
    Error(Kind kind, const std::string& message) : std::runtime_error(message), kind(kind) {}
    Kind kind;
};

class Driver {
public:
    virtual ~Driver() = default;

    virtual std::string_view dialect() const = 0;
    virtual void exec(std::string_view sql, const Row& params = {}) = 0;
    // Rows changed by one statement.
    virtual std::int64_t execCount(std::string_view sql, const Row& params = {}) = 0;
    virtual void query(std::string_view sql, const Row& params,
                       const std::function<void(const Row&)>& onRow) = 0;
    // Many rows into table(columns) in one go (PostgreSQL: COPY).
    virtual void insertMany(std::string_view table, const std::vector<std::string>& columns,
                            const std::vector<Row>& rows) = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Column type of a 64-bit key that numbers itself.
    virtual std::string autoIncrementKey() const = 0;
    // Inserts a row unless its key exists: "INSERT OR IGNORE" / "ON CONFLICT DO NOTHING".
    virtual std::string insertIgnoring(std::string_view table, const std::vector<std::string>& columns) const = 0;

    // The first column of the first row, or NULL.
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

// "sqlite:PATH", "sqlite::memory:", "postgresql://…" or "postgres://…".
std::unique_ptr<Driver> connect(const std::string& address);

struct Migration {
    int version;
    std::vector<std::string> statements;
};
// Applies the migrations not applied yet, in version order, each in a transaction.
void migrate(Driver& driver, std::vector<Migration> migrations);

std::int64_t asInt(const Value& value);
std::string asText(const Value& value);

} // namespace rsim::db
