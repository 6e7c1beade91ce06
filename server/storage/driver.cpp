#include "driver.h"

#include "postgres_driver.h"
#include "sql_text.h"
#include "sqlite_driver.h"

#include <regex>

namespace rsim::db {

// SQLite's LIKE ignores the case of ASCII letters only.
std::string Driver::containsCondition(std::string_view column) const
{
    return std::string(column) + " LIKE ? ESCAPE '\\'";
}

std::string Driver::insertIgnoring(std::string_view table,
                                   const std::vector<std::string>& columns) const
{
    return insertStatement(table, columns) + " ON CONFLICT DO NOTHING";
}

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

std::unique_ptr<Driver> connect(const std::string& address,
                                std::chrono::milliseconds roundTripLimit)
{
    if (address.starts_with("sqlite:"))
        return openSqlite(address.substr(7));
    if (address.starts_with("postgresql://") || address.starts_with("postgres://"))
        return openPostgres(address, roundTripLimit);
    throw Error(Error::Kind::Connection,
                "unsupported database address '" + address +
                    "': use sqlite:PATH or postgresql://USER@HOST:PORT/DB");
}

std::string redacted(const std::string& address)
{
    static const std::regex userinfo(R"(^([a-z]+://[^:@/]*):[^@/]*@)");
    static const std::regex parameter(R"(([?&]password=)[^&]*)", std::regex::icase);
    return std::regex_replace(std::regex_replace(address, userinfo, "$1:***@"), parameter, "$1***");
}

Value Columns::Cell::value() const
{
    switch (kind) {
    case Kind::Null: return {};
    case Kind::Integer: return integer;
    case Kind::Text: return std::string(text);
    }
    return {};
}

void Columns::cells(std::span<Cell> cells) const
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i] = cell(i);
}

// A row's texts keep their storage from one row to the next.
void Driver::query(std::string_view sql, const Row& params,
                   const std::function<void(const Row&)>& onRow)
{
    Row row;
    queryColumns(sql, params, [&](const Columns& columns) {
        row.resize(columns.count());
        for (std::size_t i = 0; i < row.size(); ++i) {
            const Columns::Cell cell = columns.cell(i);
            if (cell.kind == Columns::Kind::Integer)
                row[i] = cell.integer;
            else if (cell.kind == Columns::Kind::Null)
                row[i] = std::monostate{};
            else if (auto* held = std::get_if<std::string>(&row[i]))
                held->assign(cell.text);
            else
                row[i].emplace<std::string>(cell.text);
        }
        onRow(row);
    });
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

std::string containsPattern(std::string_view text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

std::string insertStatement(std::string_view table, const std::vector<std::string>& columns,
                            std::size_t rows)
{
    std::string names;
    std::string marks;
    for (const auto& column : columns) {
        names += (names.empty() ? "" : ", ") + column;
        marks += marks.empty() ? "?" : ", ?";
    }
    std::string sql = "INSERT INTO " + std::string(table) + " (" + names + ") VALUES ";
    for (std::size_t i = 0; i < rows; ++i)
        sql += (i == 0 ? "(" : ", (") + marks + ")";
    return sql;
}

void requireRowWidths(std::string_view table, const std::vector<std::string>& columns,
                      const std::vector<Row>& rows)
{
    if (columns.empty())
        throw Error(Error::Kind::Other, "insert into " + std::string(table) + " names no columns");
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].size() != columns.size())
            throw Error(Error::Kind::Other, "insert into " + std::string(table) + ": row " +
                                                std::to_string(i + 1) + " has " +
                                                std::to_string(rows[i].size()) + " values for " +
                                                std::to_string(columns.size()) + " columns");
}

} // namespace rsim::db
