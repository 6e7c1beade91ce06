// The writing of a query's answer: each row straight into the JSON object of its record.
#include "table_parts.h"

#include "tvd_json_stream.h"
#include "tvd_member.h"

#include <charconv>

namespace rsim::tables {

// A record's JSON object written straight from a row, its members in name order. Each member
// comes with the comma before it in its key; the first comma becomes the object's brace.
struct ObjectText {
    std::string& out;
    std::size_t start = out.size();

    void member(std::string_view key) { out += key; } // ",\"NAME\":"
    void end()
    {
        if (out.size() == start) {
            out += "{}";
        } else {
            out[start] = '{';
            out += '}';
        }
    }
};

namespace {

// Bytes of a row's audit key after its table's name, reserved: "IMSI=460001000000000" fits.
constexpr std::size_t kAuditKeyBytes = 32;
// Rows of an answer whose room is reserved at the size of its first row, at most.
constexpr std::int64_t kReservedRows = 1024;

// Appends a member read from its stored value (not NULL) after its key, as encode() writes the
// member of a record read from that value; nothing when it is the member's default (empty text,
// 0), which a record read from it leaves unset.
template <class T>
void answerStored(const db::Columns::Cell& cell, std::string_view key, ObjectText& object)
{
    using Kind = db::Columns::Kind;
    if constexpr (std::is_same_v<T, std::string>) {
        if (cell.kind == Kind::Integer) { // a number in a text column, as its digits
            char digits[24];
            object.member(key);
            object.out.append(1, '"')
                .append(digits, std::to_chars(digits, digits + sizeof digits, cell.integer).ptr)
                .append(1, '"');
        } else if (!cell.text.empty()) {
            object.member(key);
            tvd::wire::appendText(object.out, cell.text);
        }
    } else if constexpr (std::is_same_v<T, CBSDateTime>) {
        char digits[24];
        const std::string_view text =
            cell.kind == Kind::Text
                ? cell.text
                : std::string_view(digits,
                                   std::to_chars(digits, digits + sizeof digits, cell.integer).ptr);
        CBSDateTime date; // a text that is no date answers as the record's null date
        const bool read = CBSDateTime::fromWire(text, date);
        object.member(key);
        // A date read whole is its own wire form, digits and separators only.
        if (read && text.size() == std::string_view("0000-00-00 00:00:00").size())
            object.out.append(1, '"').append(text).append(1, '"');
        else
            tvd::wire::appendText(object.out, date.toWire());
    } else {
        const std::int64_t held =
            cell.kind == Kind::Integer
                ? cell.integer
                : db::asInt(std::string(cell.text)); // a text in a number column
        if (held == 0)
            return;
        // The key and the digits appended at once.
        char text[kMaxKeyBytes + 24];
        key.copy(text, key.size());
        object.out.append(
            text, std::to_chars(text + key.size(), std::end(text), static_cast<T>(held)).ptr);
    }
}

// The member read from its stored value, as text (memberString of the record read from it).
template <class T>
std::string memberTextOf(const Value& stored)
{
    if constexpr (std::is_same_v<T, std::string>) {
        return db::asText(stored);
    } else if constexpr (std::is_same_v<T, CBSDateTime>) {
        CBSDateTime date;
        if (!isNull(stored))
            CBSDateTime::fromWire(db::asText(stored), date);
        return date.toWire();
    } else {
        return std::to_string(static_cast<T>(db::asInt(stored)));
    }
}

} // namespace

AnswerWriter answerWriterOf(int kind)
{
    return tvd_withKind(kind, [](auto type) -> AnswerWriter {
        return &answerStored<typename decltype(type)::type>;
    });
}

TextReader textReaderOf(int kind)
{
    return tvd_withKind(
        kind, [](auto type) -> TextReader { return &memberTextOf<typename decltype(type)::type>; });
}

// Members holding their default (empty text, 0, the null date) are left out, so that an answer
// carries only what is stored: 50 cards of 44 members are half the JSON this way.
void Table::writeRow(std::span<const db::Columns::Cell> cells,
                     const std::vector<std::string>& opened, bool reveal, std::string& out) const
{
    ObjectText object{out};
    for (const int member : answerOrder_) {
        const auto i = static_cast<std::size_t>(member);
        if (cells[i].kind == db::Columns::Kind::Null)
            continue;
        const Column& c = columns_[i];
        if (!c.secret) {
            c.answer(cells[i], c.key, object);
        } else if (reveal && !cells[i].text.empty()) { // a sealed column holds text
            object.member(c.key);
            tvd::wire::appendText(out, opened[i]);
        }
    }
    object.end();
}

void Table::answerRows(CallContext& context, const Selection& selection, bool reveal,
                       const CTvdBasicListObject& out) const
{
    std::string sql = selectColumns_ + selection.conditions.where() + orderBy_;
    // Rows that a sealed criterion turns away do not count: those are limited as they are read.
    if (selection.sealed.empty())
        sql += " LIMIT " + std::to_string(selection.rows);
    std::int64_t answered = 0;
    RowSecrets revealed{std::vector<std::string>(columns_.size()), {}};
    for (const auto& c : columns_)
        if (c.secret && reveal)
            revealed.places.emplace_back(static_cast<std::size_t>(c.member),
                                         secrets::PlaceText(name_, c.name));
    Row key;
    std::vector<db::Columns::Cell> cells(columns_.size());
    context.db.queryColumns(sql, selection.conditions.params, [&](const db::Columns& row) {
        if (answered >= selection.rows)
            return;
        row.cells(cells);
        if (reveal)
            openRow(cells, context.secrets, key, revealed);
        for (const auto& [member, value] : selection.sealed)
            if (revealed.opened[static_cast<std::size_t>(member)] != value)
                return;
        ++answered;
        if (reveal)
            context.auditKeys.push_back(auditKey(key));
        std::string& text = context.answerRecord(out);
        const std::size_t start = text.size();
        writeRow(cells, revealed.opened, reveal, text);
        // The rest of the rows asked get room at twice this one's size, so that a long answer is
        // not copied again and again as it grows.
        if (answered == 1)
            text.reserve(text.size() +
                         (text.size() - start) * 2 *
                             static_cast<std::size_t>(std::min(selection.rows - 1, kReservedRows)));
    });
}

std::string Table::auditKey(const Row& key) const
{
    std::string text;
    text.reserve(name_.size() + kAuditKeyBytes);
    text.append(name_);
    for (std::size_t k = 0; k < key.size(); ++k) {
        const Column& c = columns_[static_cast<std::size_t>(keyColumns_[k])];
        text.append(1, k == 0 ? ' ' : ',').append(c.name).append(1, '=').append(c.text(key[k]));
    }
    return text;
}

} // namespace rsim::tables
