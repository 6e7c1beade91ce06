#include "postgres_driver.h"

#include "round_trip_deadline.h"
#include "sql_text.h"

#include <pqxx/pqxx>
#include <pqxx/tablewriter>

#include <charconv>
#include <optional>
#include <unordered_map>

namespace rsim::db {
namespace {

// Statements kept prepared per connection; beyond this they are all released between
// transactions, because callers build some SQL texts from values (a LIMIT, a set of criteria).
constexpr std::size_t kPreparedStatements = 256;

constexpr pqxx::oid kInt8 = 20, kInt2 = 21, kInt4 = 23;

// A statement prepared on the server under a name of this driver.
struct Prepared {
    std::string name;
    std::size_t parameters = 0;
};

// '?' to $1..$n, outside string literals and quoted names.
std::string numbered(std::string_view sql, std::size_t& parameters)
{
    std::string out;
    out.reserve(sql.size() + 16);
    char quote = 0;
    for (char c : sql) {
        if (quote == 0 && (c == '\'' || c == '"'))
            quote = c;
        else if (c == quote)
            quote = 0;
        if (c == '?' && quote == 0)
            out += "$" + std::to_string(++parameters);
        else
            out += c;
    }
    return out;
}

// Parameters as libpq wants them: text, or a null pointer for NULL.
struct Params {
    explicit Params(const Row& row)
    {
        texts.reserve(row.size());
        for (const auto& value : row) {
            if (std::holds_alternative<std::monostate>(value))
                texts.emplace_back();
            else
                texts.emplace_back(asText(value));
        }
        for (const auto& text : texts)
            pointers.push_back(text ? text->c_str() : nullptr);
    }
    std::vector<std::optional<std::string>> texts;
    std::vector<const char*> pointers;
};

// One row in COPY's text format, written over line (its storage kept from row to row).
void copyLine(const Row& row, std::string& line)
{
    line.clear();
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            line += '\t';
        if (const auto* n = std::get_if<std::int64_t>(&row[i])) {
            char digits[24];
            line.append(digits, std::to_chars(digits, digits + sizeof digits, *n).ptr);
            continue;
        }
        const auto* text = std::get_if<std::string>(&row[i]);
        if (text == nullptr) {
            line += "\\N";
            continue;
        }
        // Runs without a character to escape go in whole.
        std::string_view rest = *text;
        for (std::size_t special;
             (special = rest.find_first_of("\\\t\n\r")) != std::string_view::npos;) {
            line.append(rest.substr(0, special));
            line += '\\';
            line += rest[special] == '\t'   ? 't'
                    : rest[special] == '\n' ? 'n'
                    : rest[special] == '\r' ? 'r'
                                            : '\\';
            rest.remove_prefix(special + 1);
        }
        line.append(rest);
    }
}

// 25006: a write on a read-only server (a standby, or a primary being demoted); 57P0x: the
// server shuts down or ends the session; 08: the connection failed.
Error::Kind kindOfState(const std::string& state)
{
    if (state == "23505")
        return Error::Kind::Unique;
    if (state == "23503")
        return Error::Kind::ForeignKey;
    if (state == "40001" || state == "40P01" || state == "55P03")
        return Error::Kind::Busy;
    if (state.starts_with("08") || state.starts_with("57P0") || state == "25006")
        return Error::Kind::Connection;
    if (state == "53100")
        return Error::Kind::Full;
    return Error::Kind::Other;
}

// A commit in doubt may or may not have been applied: a client retries it under its request id.
Error translate(const std::exception& e)
{
    if (const auto* sql = dynamic_cast<const pqxx::sql_error*>(&e))
        return Error(kindOfState(sql->sqlstate()), e.what());
    if (dynamic_cast<const pqxx::broken_connection*>(&e) != nullptr ||
        dynamic_cast<const pqxx::in_doubt_error*>(&e) != nullptr)
        return Error(Error::Kind::Connection, e.what());
    return Error(Error::Kind::Other, e.what());
}

// Whether the URI's query sets the parameter.
bool sets(const std::string& address, std::string_view parameter)
{
    const std::size_t query = address.find('?');
    if (query == std::string::npos)
        return false;
    for (std::size_t at = query; at != std::string::npos; at = address.find('&', at + 1))
        if (address.compare(at + 1, parameter.size() + 1, std::string(parameter) + "=") == 0)
            return true;
    return false;
}

class PostgresDriver : public Driver {
public:
    PostgresDriver(const std::string& address, std::chrono::milliseconds roundTripLimit);

    void exec(std::string_view sql, const Row& params = {}) override { execCount(sql, params); }
    std::int64_t execCount(std::string_view sql, const Row& params = {}) override
    {
        return run(sql, params).affected_rows();
    }
    void queryColumns(std::string_view sql, const Row& params,
                      const std::function<void(const Columns&)>& onRow) override;
    void insertMany(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<Row>& rows) override;

    void begin() override;
    void tablesGrowing() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return work_ != nullptr; }

    // Under the "C" collation ILIKE folds ASCII letters only, whatever the database's locale,
    // as SQLite's LIKE does.
    std::string containsCondition(std::string_view column) const override
    {
        return std::string(column) + " COLLATE \"C\" ILIKE ? ESCAPE '\\'";
    }
    std::string_view forShare() const override { return " FOR SHARE"; }
    void lockSchema() override;
    void unlockSchema() override;
    bool lost() const override { return lost_; }
    void requireWritable() override;

private:
    // Runs one or more round trips of step under the deadline, with libpqxx's failures as
    // Errors; one of kind Connection leaves the driver lost().
    template <class Step>
    auto roundTrip(Step&& step) -> decltype(step());
    pqxx::result run(std::string_view sql, const Row& params);
    const Prepared& prepared(std::string_view sql);
    void limitPrepared();

    pqxx::connection connection_;
    std::unique_ptr<pqxx::work> work_;
    std::unordered_map<std::string, Prepared> statements_;
    std::uint64_t lastName_ = 0;
    const std::chrono::milliseconds roundTripLimit_;
    bool lost_ = false;
};

PostgresDriver::PostgresDriver(const std::string& address, std::chrono::milliseconds roundTripLimit)
try : connection_(withTimeouts(address, roundTripLimit)), roundTripLimit_(roundTripLimit) {
    // A lost connection stays lost: the pool opens a new one, never libpqxx behind its back.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    connection_.inhibit_reactivation(true);
#pragma GCC diagnostic pop
} catch (const std::exception& e) {
    throw Error(Error::Kind::Connection,
                "cannot connect to PostgreSQL at '" + redacted(address) + "': " + e.what());
}

template <class Step>
auto PostgresDriver::roundTrip(Step&& step) -> decltype(step())
{
    if (lost_)
        throw Error(Error::Kind::Connection, "the connection to PostgreSQL was lost");
    const RoundTripDeadline deadline(connection_.sock(), roundTripLimit_);
    try {
        return step();
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        Error error = deadline.passed() ? Error(Error::Kind::Connection,
                                                "PostgreSQL did not answer within " +
                                                    std::to_string(roundTripLimit_.count()) +
                                                    " ms: the connection was abandoned")
                                        : translate(e);
        lost_ = error.kind == Error::Kind::Connection;
        throw error;
    }
}

void PostgresDriver::requireWritable()
{
    const bool readOnly =
        asText(scalar("SELECT pg_is_in_recovery() OR current_setting('transaction_read_only') = "
                      "'on'")) == "t";
    if (readOnly) {
        lost_ = true;
        throw Error(Error::Kind::Connection, "the PostgreSQL server takes no writes (a standby, "
                                             "or read-only)");
    }
}

// A row of a result; its columns of the integer types are integers, all others text.
class ResultColumns final : public Columns {
public:
    explicit ResultColumns(const pqxx::result& result) : integer_(result.columns())
    {
        for (std::size_t c = 0; c < integer_.size(); ++c) {
            const pqxx::oid type = result.column_type(static_cast<pqxx::row::size_type>(c));
            integer_[c] = type == kInt8 || type == kInt2 || type == kInt4;
        }
    }
    void at(const pqxx::row& row) { row_ = &row; }

    std::size_t count() const override { return integer_.size(); }
    Cell cell(std::size_t column) const override { return cellOf(field(column), column); }
    // One field walked along the row: each field made anew copies the result's shared handles.
    void cells(std::span<Cell> cells) const override
    {
        auto value = row_->begin();
        for (std::size_t c = 0; c < cells.size(); ++c, ++value)
            cells[c] = cellOf(*value, c);
    }

private:
    Cell cellOf(const pqxx::field& value, std::size_t column) const
    {
        if (value.is_null())
            return {};
        if (integer_[column])
            return {Kind::Integer, value.as<std::int64_t>(), {}};
        return {Kind::Text, 0, {value.c_str(), value.size()}};
    }
    pqxx::field field(std::size_t column) const
    {
        return (*row_)[static_cast<pqxx::row::size_type>(column)];
    }
    std::vector<bool> integer_;
    const pqxx::row* row_ = nullptr;
};

void PostgresDriver::queryColumns(std::string_view sql, const Row& params,
                                  const std::function<void(const Columns&)>& onRow)
{
    const pqxx::result result = run(sql, params);
    ResultColumns columns(result);
    for (const auto& row : result) {
        columns.at(row);
        onRow(columns);
    }
}

void PostgresDriver::insertMany(std::string_view table, const std::vector<std::string>& columns,
                                const std::vector<Row>& rows)
{
    requireRowWidths(table, columns, rows);
    auto copy = [&](pqxx::transaction_base& tx) {
    // This libpqxx's stream_to accepts only std::tuple rows; tablewriter sends the same
    // COPY for rows whose width is known at run time.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        pqxx::tablewriter writer(tx, std::string(table), columns.begin(), columns.end());
#pragma GCC diagnostic pop
        std::string line;
        for (const auto& row : rows) {
            copyLine(row, line);
            writer.write_raw_line(line);
        }
        writer.complete();
    };
    roundTrip([&] {
        if (work_) {
            copy(*work_);
        } else {
            pqxx::work tx(connection_);
            copy(tx);
            tx.commit();
        }
    });
}

void PostgresDriver::begin()
{
    if (work_)
        throw Error(Error::Kind::Other, "a transaction is open already; transactions do not nest");
    roundTrip([&] {
        limitPrepared();
        work_ = std::make_unique<pqxx::work>(connection_);
    });
}

void PostgresDriver::tablesGrowing()
{
    if (!work_)
        throw Error(Error::Kind::Other, "tablesGrowing without an open transaction");
    roundTrip([&] { work_->exec("SET LOCAL plan_cache_mode = force_custom_plan"); });
}

void PostgresDriver::commit()
{
    if (!work_)
        throw Error(Error::Kind::Other, "commit without an open transaction");
    auto work = std::move(work_);
    roundTrip([&] { work->commit(); });
}

void PostgresDriver::rollback()
{
    if (work_) {
        auto work = std::move(work_);
        if (!lost_)
            roundTrip([&] { work->abort(); });
    }
}

// One advisory lock per schema, so that test schemas sharing a database do not wait for each
// other; a session lock, held across the migrations' transactions.
void PostgresDriver::lockSchema()
{
    exec("SELECT pg_advisory_lock(hashtext('rsim schema migration ' || current_schema()))");
}

void PostgresDriver::unlockSchema()
{
    exec("SELECT pg_advisory_unlock(hashtext('rsim schema migration ' || current_schema()))");
}

pqxx::result PostgresDriver::run(std::string_view sql, const Row& params)
{
    return roundTrip([&] {
        const Prepared& statement = prepared(sql);
        if (statement.parameters != params.size())
            throw Error(Error::Kind::Other, "the statement takes " +
                                                std::to_string(statement.parameters) +
                                                " parameters but " + std::to_string(params.size()) +
                                                " were given: " + std::string(sql));
        const Params bound(params);
        const auto values = pqxx::prepare::make_dynamic_params(bound.pointers);
        if (work_)
            return work_->exec_prepared(statement.name, values);
        pqxx::nontransaction tx(connection_);
        return tx.exec_prepared(statement.name, values);
    });
}

// The server-side statement for this SQL text; prepared on first use.
const Prepared& PostgresDriver::prepared(std::string_view sql)
{
    if (!work_)
        limitPrepared();
    auto [it, added] = statements_.try_emplace(std::string(sql));
    if (added) {
        it->second.name = "s" + std::to_string(++lastName_);
        connection_.prepare(it->second.name, numbered(sql, it->second.parameters));
    }
    return it->second;
}

// Outside transactions only: a failed transaction would refuse the DEALLOCATE. Within a round
// trip.
void PostgresDriver::limitPrepared()
{
    if (statements_.size() < kPreparedStatements)
        return;
    for (auto it = statements_.begin(); it != statements_.end(); it = statements_.erase(it))
        connection_.unprepare(it->second.name);
}

} // namespace

std::unique_ptr<Driver> openPostgres(const std::string& address,
                                     std::chrono::milliseconds roundTripLimit)
{
    return std::make_unique<PostgresDriver>(address, roundTripLimit);
}

std::string withTimeouts(const std::string& address, std::chrono::milliseconds roundTripLimit)
{
    using std::chrono::milliseconds;
    const milliseconds limit = roundTripLimit.count() > 0 ? roundTripLimit : milliseconds(10000);
    const std::pair<std::string_view, std::string> defaults[] = {
        {"connect_timeout",
         std::to_string(std::max<std::int64_t>(2, (limit.count() + 999) / 1000))},
        {"keepalives", "1"},
        {"keepalives_idle", "10"},
        {"keepalives_interval", "2"},
        {"keepalives_count", "3"},
        {"tcp_user_timeout", std::to_string(limit.count())}};
    std::string out = address;
    for (const auto& [parameter, value] : defaults)
        if (!sets(address, parameter))
            out += (out.find('?') == std::string::npos ? "?" : "&") + std::string(parameter) + "=" +
                   value;
    return out;
}

} // namespace rsim::db
