#include "postgres_driver.h"

#include <pqxx/pqxx>
#include <pqxx/tablewriter>

#include <optional>
#include <unordered_map>

namespace rsim::db {
namespace {

// '?' to $1..$n, outside string literals.
std::string numbered(std::string_view sql)
{
    std::string out;
    out.reserve(sql.size() + 16);
    bool quoted = false;
    int n = 0;
    for (char c : sql) {
        if (c == '\'')
            quoted = !quoted;
        if (c == '?' && !quoted)
            out += "$" + std::to_string(++n);
        else
            out += c;
    }
    return out;
}

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

// One row in COPY's text format.
std::string copyLine(const Row& row)
{
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            line += '\t';
        if (std::holds_alternative<std::monostate>(row[i])) {
            line += "\\N";
            continue;
        }
        for (char c : asText(row[i])) {
            switch (c) {
            case '\\': line += "\\\\"; break;
            case '\t': line += "\\t"; break;
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            default: line += c;
            }
        }
    }
    return line;
}

Error translate(const std::exception& e)
{
    if (const auto* sql = dynamic_cast<const pqxx::sql_error*>(&e)) {
        const std::string state = sql->sqlstate();
        if (state == "23505")
            return Error(Error::Kind::Unique, e.what());
        if (state == "23503")
            return Error(Error::Kind::ForeignKey, e.what());
        if (state == "40001" || state == "40P01" || state == "55P03")
            return Error(Error::Kind::Busy, e.what());
    }
    if (dynamic_cast<const pqxx::broken_connection*>(&e) != nullptr)
        return Error(Error::Kind::Connection, e.what());
    return Error(Error::Kind::Other, e.what());
}

class PostgresDriver : public Driver {
public:
    explicit PostgresDriver(const std::string& address)
    try : connection_(address) {
    } catch (const std::exception& e) {
        throw Error(Error::Kind::Connection, "cannot connect to PostgreSQL at '" + address + "': " + e.what());
    }

    std::string_view dialect() const override { return "postgresql"; }

    void exec(std::string_view sql, const Row& params = {}) override { execCount(sql, params); }

    std::int64_t execCount(std::string_view sql, const Row& params = {}) override
    {
        return run(sql, params).affected_rows();
    }

    void query(std::string_view sql, const Row& params,
               const std::function<void(const Row&)>& onRow) override
    {
        const pqxx::result result = run(sql, params);
        Row row(static_cast<std::size_t>(result.columns()));
        std::vector<bool> integer(row.size());
        for (std::size_t c = 0; c < row.size(); ++c) {
            const pqxx::oid type = result.column_type(static_cast<pqxx::row::size_type>(c));
            integer[c] = type == 20 || type == 21 || type == 23; // int8, int2, int4
        }
        for (const auto& r : result) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                const auto field = r[static_cast<pqxx::row::size_type>(c)];
                if (field.is_null())
                    row[c] = std::monostate{};
                else if (integer[c])
                    row[c] = field.as<std::int64_t>();
                else
                    row[c] = std::string(field.c_str(), field.size());
            }
            onRow(row);
        }
    }

    void insertMany(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<Row>& rows) override
    {
        auto write = [&](pqxx::transaction_base& tx) {
            // stream_to of this libpqxx takes only tuples; tablewriter writes COPY lines of a
            // row whose width is known at run time.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
            pqxx::tablewriter writer(tx, std::string(table), columns.begin(), columns.end());
#pragma GCC diagnostic pop
            for (const auto& row : rows)
                writer.write_raw_line(copyLine(row));
            writer.complete();
        };
        try {
            if (work_) {
                write(*work_);
            } else {
                pqxx::work tx(connection_);
                write(tx);
                tx.commit();
            }
        } catch (const Error&) {
            throw;
        } catch (const std::exception& e) {
            throw translate(e);
        }
    }

    void begin() override
    {
        if (work_)
            throw Error(Error::Kind::Other, "a transaction is already open");
        work_ = std::make_unique<pqxx::work>(connection_);
    }

    void commit() override
    {
        if (!work_)
            return;
        auto work = std::move(work_);
        try {
            work->commit();
        } catch (const std::exception& e) {
            throw translate(e);
        }
    }

    void rollback() override
    {
        if (!work_)
            return;
        auto work = std::move(work_);
        work->abort();
    }

    bool inTransaction() const override { return work_ != nullptr; }

    std::string autoIncrementKey() const override { return "BIGSERIAL PRIMARY KEY"; }
    std::string insertIgnoring(std::string_view table, const std::vector<std::string>& columns) const override
    {
        std::string sql = "INSERT INTO " + std::string(table) + " (";
        std::string marks;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += (i ? ", " : "") + columns[i];
            marks += i ? ", ?" : "?";
        }
        return sql + ") VALUES (" + marks + ") ON CONFLICT DO NOTHING";
    }

private:
    pqxx::result run(std::string_view sql, const Row& params)
    {
        const std::string& name = prepared(sql);
        Params bound(params);
        try {
            if (work_)
                return work_->exec_prepared(name, pqxx::prepare::make_dynamic_params(bound.pointers));
            pqxx::nontransaction tx(connection_);
            return tx.exec_prepared(name, pqxx::prepare::make_dynamic_params(bound.pointers));
        } catch (const std::exception& e) {
            throw translate(e);
        }
    }

    const std::string& prepared(std::string_view sql)
    {
        auto [it, added] = names_.try_emplace(std::string(sql));
        if (added) {
            it->second = "s" + std::to_string(names_.size());
            try {
                connection_.prepare(it->second, numbered(sql));
            } catch (const std::exception& e) {
                names_.erase(it);
                throw translate(e);
            }
        }
        return it->second;
    }

    pqxx::connection connection_;
    std::unique_ptr<pqxx::work> work_;
    std::unordered_map<std::string, std::string> names_;
};

} // namespace

std::unique_ptr<Driver> openPostgres(const std::string& address)
{
    return std::make_unique<PostgresDriver>(address);
}

} // namespace rsim::db
