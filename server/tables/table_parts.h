// What the source files of a table share: members of records as values, pieces of SQL, how
// each member kind is stored, and the working state of a query.
#pragma once

#include "table.h"

#include <string_view>

namespace rsim::tables {

using db::Row;
using db::Value;

// Bytes of a member's key in an answer's object at most (",\"NAME\":").
inline constexpr std::size_t kMaxKeyBytes = 64;

std::string memberString(const CTvdBasicStructObject& record, int member);
// The member as an integer; 0 for a text or date member.
std::int64_t memberInt(const CTvdBasicStructObject& record, int member);

// The parts joined by separator after lead, or nothing when there are none: the column lists,
// WHERE and SET clauses of every statement.
std::string joined(const std::vector<std::string>& parts, std::string_view lead,
                   std::string_view separator);
// Each name followed by suffix: {"IMSI = ?", …}.
std::vector<std::string> each(const std::vector<std::string>& names, std::string_view suffix);
std::string placeholders(std::size_t n);
bool isNull(const Value& value);
// Whether the statement finds a row.
bool exists(db::Driver& db, const std::string& sql, const Row& params);

// The conditions of a WHERE clause, joined by AND, and the values of their parameters.
struct Conditions {
    std::vector<std::string> parts;
    Row params;

    void add(std::string condition, Value value)
    {
        parts.push_back(std::move(condition));
        params.push_back(std::move(value));
    }
    std::string where() const { return joined(parts, " WHERE ", " AND "); }
};

// Chosen once for each column by its member's kind: the member's value as stored
// (table_sql.cpp); the member read from a row's column appended to an answer's object, and the
// member read from a stored value as text (table_answer.cpp).
using StoredValue = Value (*)(const CTvdBasicStructObject& record, int offset);
using AnswerWriter = void (*)(const db::Columns::Cell& cell, std::string_view key,
                              ObjectText& object);
using TextReader = std::string (*)(const Value& stored);
StoredValue storedValueOf(int kind);
AnswerWriter answerWriterOf(int kind);
TextReader textReaderOf(int kind);

// What a query's criteria ask: the conditions of its rows, how many at most, and the criteria on
// sealed columns, which differ at each write and so are compared once a row is read and opened.
struct Table::Selection {
    Conditions conditions;
    std::int64_t rows = 0;
    std::vector<std::pair<int, std::string>> sealed; // the record's member, the value asked
};

// The secrets of a row of an answer by column, and the places of its sealed columns, kept from
// row to row so that opening them allocates nothing per row.
struct Table::RowSecrets {
    std::vector<std::string> opened;
    std::vector<std::pair<std::size_t, secrets::PlaceText>> places; // by sealed column
};

} // namespace rsim::tables
