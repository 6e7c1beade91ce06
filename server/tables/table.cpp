#include "table.h"

#include "formats.h"
#include "tvd_json_stream.h"
#include "tvd_member.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iostream>
#include <unordered_set>

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

using db::Row;
using db::Value;

constexpr std::size_t kInChunk = 500;
constexpr std::size_t kInsertChunk = 10000;
// Bytes of a member's key in an answer's object at most (",\"NAME\":").
constexpr std::size_t kMaxKeyBytes = 64;
// Bytes of a row's audit key after its table's name, reserved: "IMSI=460001000000000" fits.
constexpr std::size_t kAuditKeyBytes = 32;
// Rows of an answer whose room is reserved at the size of its first row, at most.
constexpr std::int64_t kReservedRows = 1024;

std::string memberString(const CTvdBasicStructObject& record, int member)
{
    return std::visit(TvdOverloaded{[](const std::string* text) { return *text; },
                                    [](const CBSDateTime* date) { return date->toWire(); },
                                    [](const auto* number) { return std::to_string(*number); }},
                      tvd_member(record, member));
}

// The member as an integer; 0 for a text or date member.
std::int64_t memberInt(const CTvdBasicStructObject& record, int member)
{
    return std::visit(TvdOverloaded{[](const std::string*) { return std::int64_t{0}; },
                                    [](const CBSDateTime*) { return std::int64_t{0}; },
                                    [](const auto* number) { return std::int64_t{*number}; }},
                      tvd_member(record, member));
}

// SIM numbers (19 or 20 characters) compare as numbers by their text left-padded with zeros to
// the widest; the expression is the one the index of the SIM numbers is built on.
constexpr std::size_t kNumberWidth = 20;

std::string numberKey(const std::string& column)
{
    return "SUBSTR('" + std::string(kNumberWidth, '0') + "' || " + column + ", LENGTH(" + column +
           ") + 1)";
}

std::uint64_t keyHash(const std::string& key)
{
    return std::hash<std::string>{}(key);
}

// The parts joined by separator after lead, or nothing when there are none: the column lists,
// WHERE and SET clauses of every statement.
std::string joined(const std::vector<std::string>& parts, std::string_view lead,
                   std::string_view separator)
{
    std::string text;
    for (const auto& part : parts) {
        text += text.empty() ? lead : separator;
        text += part;
    }
    return text;
}

// Each name followed by suffix: {"IMSI = ?", …}.
std::vector<std::string> each(const std::vector<std::string>& names, std::string_view suffix)
{
    std::vector<std::string> parts;
    for (const auto& name : names)
        parts.push_back(name + std::string(suffix));
    return parts;
}

std::string placeholders(std::size_t n)
{
    return joined(std::vector<std::string>(n, "?"), "", ", ");
}

bool isNull(const Value& value)
{
    return std::holds_alternative<std::monostate>(value);
}

// Whether the statement finds a row.
bool exists(db::Driver& db, const std::string& sql, const Row& params)
{
    return !isNull(db.scalar(sql, params));
}

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

// A member's value as stored: the record's text, its number, its date as text or NULL.
template <class T>
Value storedValue(const CTvdBasicStructObject& record, int offset)
{
    const T& member = tvd_memberAt<T>(record, offset);
    if constexpr (std::is_same_v<T, std::string>)
        return member;
    else if constexpr (std::is_same_v<T, CBSDateTime>)
        return member.isNull() ? Value{} : Value{member.toWire()};
    else
        return std::int64_t{member};
}

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

// What a query's criteria ask: the conditions of its rows, how many at most, and the criteria on
// sealed columns, which differ at each write and so are compared once a row is read and opened.
struct Table::Selection {
    Conditions conditions;
    std::int64_t rows = 0;
    std::vector<std::pair<int, std::string>> sealed; // the record's member, the value asked
};

Table::Table(const TableDef& def) : def_(def), name_(def.name()), keyNames_(def.keyNames())
{
    const CTvdTypeInfo* type = &def.record();
    const STvdMemberTypeInfo* table = type->memberTable();
    for (int i = 0; table[i].kind != TVD_END; ++i) {
        const bool secret =
            std::any_of(def.rules.begin(), def.rules.end(),
                        [&](const MemberRule& r) { return r.member == table[i].name && r.secret; });
        if (table[i].offset < 0 || (secret && table[i].kind != TVD_STRING))
            throw std::logic_error(name_ + "." + table[i].name + " cannot be stored");
        std::string key(1, ',');
        tvd::wire::appendText(key, table[i].name);
        key += ':';
        if (key.size() > kMaxKeyBytes)
            throw std::logic_error(name_ + "." + table[i].name + " is too long a name");
        columns_.push_back(
            {table[i].name, table[i].kind, i, secret, table[i].offset, std::move(key),
             tvd_withKind(table[i].kind,
                          [](auto type) { return &storedValue<typename decltype(type)::type>; }),
             tvd_withKind(table[i].kind,
                          [](auto type) { return &answerStored<typename decltype(type)::type>; }),
             tvd_withKind(table[i].kind,
                          [](auto type) { return &memberTextOf<typename decltype(type)::type>; })});
        answerOrder_.push_back(i);
    }
    std::sort(answerOrder_.begin(), answerOrder_.end(),
              [&](int a, int b) { return std::strcmp(table[a].name, table[b].name) < 0; });
    for (const auto& key : keyNames_)
        keyColumns_.push_back(column(key).member);
    uniqueSets_.push_back(keyColumns_);
    for (const auto& unique : def.uniques)
        uniqueSets_.push_back({column(unique).member});
    checkNames();
    hasSecrets_ =
        std::any_of(columns_.begin(), columns_.end(), [](const Column& c) { return c.secret; });
    for (const auto& c : columns_)
        columnNames_.push_back(c.name);
    selectColumns_ = joined(columnNames_, "SELECT ", ", ") + " FROM " + name_;
    keyWhere_ = joined(each(keyNames_, " = ?"), " WHERE ", " AND ");
    keyExists_ = "SELECT 1 FROM " + name_ + keyWhere_;
    orderBy_ = " ORDER BY " + (def.order.empty() ? joined(keyNames_, "", ", ") : def.order);
}

// A def that names a member its record lacks, or a table that is not defined, fails when the
// tables are made (at the service's start), not at the first call that reads that name.
void Table::checkNames() const
{
    for (const auto& rule : def_.rules) {
        column(rule.member);
        if (!rule.references.empty())
            TableDefOf(rule.references);
    }
    for (const auto& name : def_.contains)
        column(name);
    if (def_.rangeFirst.empty() != def_.rangeLast.empty())
        throw std::logic_error(name_ + " names one end of a range only");
    if (!def_.rangeFirst.empty()) {
        column(def_.rangeFirst);
        column(def_.rangeLast);
    }
    for (const auto& criterion : def_.criteria)
        if (criterion.filter != Filter::Limit)
            column(criterion.column);
}

const Table::Column& Table::column(const std::string& name) const
{
    for (const auto& c : columns_)
        if (c.name == name)
            return c;
    throw std::logic_error(name_ + " has no member " + name);
}

Value Table::valueOf(const CTvdBasicStructObject& record, const Column& c,
                     const secrets::SecretBox& box) const
{
    if (c.secret)
        return box.encrypt(tvd_memberAt<std::string>(record, c.offset),
                           place(c, keyValues(record)));
    return c.value(record, c.offset);
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

secrets::Place Table::place(const Column& c, const Row& key) const
{
    secrets::Place place{name_, c.name, {}};
    for (const auto& value : key)
        place.key.push_back(db::asText(value));
    return place;
}

// The secrets of a row of an answer by column, and the places of its sealed columns, kept from
// row to row so that opening them allocates nothing per row.
struct Table::RowSecrets {
    std::vector<std::string> opened;
    std::vector<std::pair<std::size_t, secrets::PlaceText>> places; // by sealed column
};

// A value that does not open (moved from another row, altered, or sealed with a key the key
// file lost) answers as unreadable, and the rest of the answer goes on.
void Table::openRow(std::span<const db::Columns::Cell> cells, const secrets::SecretBox& box,
                    Row& key, RowSecrets& revealed) const
{
    key.clear();
    for (auto& [column, place] : revealed.places)
        place.clearKey();
    for (const int member : keyColumns_) {
        key.push_back(cells[static_cast<std::size_t>(member)].value());
        const std::string text = db::asText(key.back());
        for (auto& [column, place] : revealed.places)
            place.addKey(text);
    }
    for (const auto& [column, place] : revealed.places) {
        try {
            box.decrypt(cells[column].text, place, revealed.opened[column]);
        } catch (const secrets::SecretError& e) {
            std::string keys;
            for (std::size_t i = 0; i < keyNames_.size(); ++i)
                keys += (i ? " " : "") + keyNames_[i] + "=" + db::asText(key[i]);
            std::cerr << "rsimd: " << name_ << "." << columns_[column].name << " of " << keys
                      << ": " << e.what() << std::endl;
            revealed.opened[column] = secrets::kUnreadable;
        }
    }
}

Row Table::keyValues(const CTvdBasicStructObject& record) const
{
    Row values;
    for (int member : keyColumns_) {
        const Column& c = columns_[static_cast<std::size_t>(member)];
        if (c.kind == TVD_STRING)
            values.emplace_back(memberString(record, member));
        else
            values.emplace_back(memberInt(record, member));
    }
    return values;
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

std::string Table::keyText(const CTvdBasicStructObject& record) const
{
    std::string text;
    for (int member : keyColumns_)
        text += (text.empty() ? "" : ",") + columns_[static_cast<std::size_t>(member)].name + "=" +
                memberString(record, member);
    return text;
}

void Table::refuse(CBSErrorMsg& error, int minor, const std::string& message,
                   const CTvdBasicStructObject& record, int position) const
{
    error.set(1, minor, message, "第" + std::to_string(position) + "条记录 " + keyText(record));
}

bool Table::checkKeysSet(const CTvdBasicStructObject& record, int position,
                         CBSErrorMsg& error) const
{
    for (int member : keyColumns_) {
        if (!record.isSet(member)) {
            refuse(error, kRefusedInvalid,
                   "缺少关键字段" + columns_[static_cast<std::size_t>(member)].name, record,
                   position);
            return false;
        }
    }
    return true;
}

bool Table::checkRecord(CallContext& context, const CTvdBasicStructObject& record, int position,
                        std::unordered_set<std::string>& verified, CBSErrorMsg& error) const
{
    if (!checkKeysSet(record, position, error))
        return false;
    for (const auto& rule : def_.rules) {
        const Column& c = column(rule.member);
        if (!record.isSet(c.member))
            continue;
        const std::string value = memberString(record, c.member);
        if (!matchesFormat(rule.format, value)) {
            refuse(error, kRefusedInvalid,
                   rule.member + "格式错误：" + formatDescription(rule.format), record, position);
            return false;
        }
        if (!rule.references.empty() && !value.empty() &&
            !verified.count(rule.references + '\x1f' + value)) {
            if (!exists(context.db, TableOf(rule.references).keyExists_, {value})) {
                refuse(error, kRefusedReference, "引用的" + rule.member + "不存在：" + value,
                       record, position);
                return false;
            }
            verified.insert(rule.references + '\x1f' + value);
        }
    }
    return true;
}

bool Table::checkRange(CallContext& context, const CTvdBasicStructObject& record, int position,
                       bool excludeSelf, CBSErrorMsg& error) const
{
    if (def_.rangeFirst.empty())
        return true;
    const Column& first = column(def_.rangeFirst);
    const Column& last = column(def_.rangeLast);
    const std::string from = memberString(record, first.member);
    const std::string to = memberString(record, last.member);
    if (from.size() != to.size()) {
        refuse(error, kRefusedInvalid, "号段起止长度不一致", record, position);
        return false;
    }
    if (from > to) {
        refuse(error, kRefusedInvalid, "号段起始值大于结束值", record, position);
        return false;
    }
    std::string sql = "SELECT " + first.name + ", " + last.name + " FROM " + name_ +
                      " WHERE LENGTH(" + first.name + ") = ? AND " + first.name + " <= ? AND " +
                      last.name + " >= ?";
    Row params{static_cast<std::int64_t>(from.size()), to, from};
    if (excludeSelf) {
        sql += " AND " + first.name + " <> ?";
        params.emplace_back(from);
    }
    std::string clash;
    context.db.query(sql + " LIMIT 1", params, [&](const Row& row) {
        clash = db::asText(row[0]) + "-" + db::asText(row[1]);
    });
    if (!clash.empty()) {
        refuse(error, kRefusedOverlap, "号段与已有号段重叠：" + clash, record, position);
        return false;
    }
    return true;
}

std::string Table::setKey(const CTvdBasicStructObject& record,
                          const std::vector<int>& members) const
{
    std::string key;
    for (int member : members)
        key += memberString(record, member) + '\x1f';
    return key;
}

// The column names of a unique set, "A,B,C": a duplicate names the whole key it repeats.
std::string Table::setNames(const std::vector<int>& members) const
{
    std::string names;
    for (int member : members)
        names += (names.empty() ? "" : ",") + columns_[static_cast<std::size_t>(member)].name;
    return names;
}

bool Table::checkBatchDuplicates(const CTvdBasicListObject& records, int done,
                                 std::vector<std::vector<std::uint64_t>>& hashes,
                                 CBSErrorMsg& error) const
{
    hashes.assign(uniqueSets_.size(), {});
    for (std::size_t set = 0; set < uniqueSets_.size(); ++set) {
        const std::vector<int>& members = uniqueSets_[set];
        std::unordered_set<std::string> seen;
        seen.reserve(static_cast<std::size_t>(records.count()));
        for (int i = 0; i < records.count(); ++i) {
            std::string key = setKey(records.element(i), members);
            hashes[set].push_back(keyHash(key));
            if (!seen.insert(std::move(key)).second) {
                refuse(error, kRefusedDuplicate, "同一批数据中重复：" + setNames(members),
                       records.element(i), done + i + 1);
                return false;
            }
        }
    }
    return true;
}

bool Table::checkBatchOverlaps(const CTvdBasicListObject& records, int done,
                               CBSErrorMsg& error) const
{
    if (def_.rangeFirst.empty())
        return true;
    const int first = column(def_.rangeFirst).member;
    const int last = column(def_.rangeLast).member;
    std::vector<std::pair<std::string, std::string>> ranges;
    for (int i = 0; i < records.count(); ++i)
        ranges.emplace_back(memberString(records.element(i), first),
                            memberString(records.element(i), last));
    // Each range is compared with those before it: 5,000 ranges, a chunk, take about 35 ms, less
    // than checking them against the stored ones, a query each.
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        const auto& [from, to] = ranges[i];
        for (std::size_t j = 0; j < i; ++j) {
            const auto& [otherFrom, otherTo] = ranges[j];
            if (from.size() == otherFrom.size() && from <= otherTo && to >= otherFrom) {
                refuse(error, kRefusedOverlap,
                       "号段与同一批数据中的号段重叠：" + otherFrom + "-" + otherTo,
                       records.element(static_cast<int>(i)), done + static_cast<int>(i) + 1);
                return false;
            }
        }
    }
    return true;
}

bool Table::checkStoredDuplicates(CallContext& context, const CTvdBasicListObject& records,
                                  const Batch& batch, CBSErrorMsg& error) const
{
    for (std::size_t set = 0; set < uniqueSets_.size(); ++set) {
        const std::vector<int>& members = uniqueSets_[set];
        const int found = firstStored(context, records, members);
        if (found < 0)
            continue;
        const CTvdBasicStructObject& record = records.element(found);
        const std::vector<std::uint64_t>* added =
            set < batch.added.size() ? &batch.added[set] : nullptr;
        if (added != nullptr && std::find(added->begin(), added->end(),
                                          keyHash(setKey(record, members))) != added->end())
            refuse(error, kRefusedDuplicate, "同一批数据中重复：" + setNames(members), record,
                   batch.done + found + 1);
        else
            refuse(error, kRefusedDuplicate,
                   members.size() == 1 ? setNames(members) + "已存在" : "记录已存在", record,
                   batch.done + found + 1);
        return false;
    }
    return true;
}

int Table::firstStored(CallContext& context, const CTvdBasicListObject& records,
                       const std::vector<int>& members) const
{
    if (members.size() > 1) {
        for (int i = 0; i < records.count(); ++i)
            if (exists(context.db, keyExists_, keyValues(records.element(i))))
                return i;
        return -1;
    }
    const Column& c = columns_[static_cast<std::size_t>(members.front())];
    for (int start = 0; start < records.count(); start += static_cast<int>(kInChunk)) {
        const int end = std::min(records.count(), start + static_cast<int>(kInChunk));
        Row values;
        for (int i = start; i < end; ++i)
            values.emplace_back(valueOf(records.element(i), c, context.secrets));
        std::unordered_set<std::string> stored;
        context.db.query("SELECT " + c.name + " FROM " + name_ + " WHERE " + c.name + " IN (" +
                             placeholders(values.size()) + ")",
                         values, [&](const Row& row) { stored.insert(db::asText(row[0])); });
        for (int i = start; i < end && !stored.empty(); ++i)
            if (stored.count(memberString(records.element(i), c.member)))
                return i;
    }
    return -1;
}

bool Table::checkUniquesKept(CallContext& context, const CTvdBasicStructObject& record,
                             int position, CBSErrorMsg& error) const
{
    const std::string otherRecord = joined(each(keyNames_, " <> ?"), "", " OR ");
    for (const auto& name : def_.uniques) {
        const Column& c = column(name);
        if (!record.isSet(c.member))
            continue;
        Row params{valueOf(record, c, context.secrets)};
        for (auto& value : keyValues(record))
            params.push_back(std::move(value));
        if (exists(context.db,
                   "SELECT 1 FROM " + name_ + " WHERE " + name + " = ? AND (" + otherRecord + ")",
                   params)) {
            refuse(error, kRefusedDuplicate, name + "已存在", record, position);
            return false;
        }
    }
    return true;
}

bool Table::checkNotReferenced(CallContext& context, const CTvdBasicStructObject& record,
                               int position, CBSErrorMsg& error) const
{
    if (keyColumns_.size() != 1)
        return true;
    for (const auto& other : Tables()) {
        for (const auto& rule : other.def_.rules) {
            if (rule.references != name_)
                continue;
            const std::string& otherKey = other.keyNames_.front();
            const Value user = context.db.scalar("SELECT " + otherKey + " FROM " + other.name_ +
                                                     " WHERE " + rule.member + " = ? LIMIT 1",
                                                 keyValues(record));
            if (!isNull(user)) {
                refuse(error, kRefusedReference,
                       "记录仍被" + other.name_ + "引用（" + otherKey + "=" + db::asText(user) +
                           "），不能删除",
                       record, position);
                return false;
            }
        }
    }
    return true;
}

Table::QueryPlan Table::planQuery(const CTvdTypeInfo& criteriaType) const
{
    const auto findIn = [](const auto& items, auto match) {
        return std::find_if(items.begin(), items.end(), match);
    };
    QueryPlan plan;
    const STvdMemberTypeInfo* members = criteriaType.memberTable();
    for (int i = 0; members[i].kind != TVD_END; ++i) {
        const std::string name = members[i].name;
        Criterion criterion{name, name, Filter::Equal};
        if (!def_.criteria.empty()) {
            const auto it =
                findIn(def_.criteria, [&](const Criterion& c) { return c.member == name; });
            if (it == def_.criteria.end())
                continue;
            criterion = *it;
        } else if (std::count(def_.contains.begin(), def_.contains.end(), name)) {
            criterion.filter = Filter::Contains;
        }
        const Column* target = criterion.column.empty() ? nullptr : &column(criterion.column);
        const auto rule =
            findIn(def_.rules, [&](const MemberRule& r) { return r.member == criterion.column; });
        const Format format = rule == def_.rules.end() ? Format::Any : rule->format;
        const bool numbered =
            criterion.filter == Filter::NumberAtLeast || criterion.filter == Filter::NumberAtMost;
        if (numbered && format != Format::Iccid)
            throw std::logic_error(name_ + "." + criterion.column + " is not a SIM number");
        const bool sealed = criterion.filter == Filter::Equal && target->secret;
        plan.push_back({i, name, criterion.column, criterion.filter,
                        members[i].kind == TVD_STRING || members[i].kind == TVD_DATETIME,
                        sealed ? target->member : -1, format});
    }
    return plan;
}

bool Table::select(const QueryPlan& plan, CallContext& context,
                   const CTvdBasicStructObject& criteria, Selection& selection,
                   CBSErrorMsg& error) const
{
    std::int64_t limit = def_.defaultLimit;
    Conditions& conditions = selection.conditions;
    for (const CriterionPlan& c : plan) {
        if (!criteria.isSet(c.member))
            continue;
        if (c.sealedMember >= 0) {
            selection.sealed.emplace_back(c.sealedMember, memberString(criteria, c.member));
            continue;
        }
        const Value value =
            c.text ? Value{memberString(criteria, c.member)} : Value{memberInt(criteria, c.member)};
        switch (c.filter) {
        case Filter::Equal: conditions.add(c.column + " = ?", value); break;
        case Filter::Contains:
            conditions.add(context.db.containsCondition(c.column),
                           db::containsPattern(db::asText(value)));
            break;
        case Filter::AtLeast: conditions.add(c.column + " >= ?", value); break;
        case Filter::AtMost: conditions.add(c.column + " <= ?", value); break;
        case Filter::NumberAtLeast:
        case Filter::NumberAtMost: {
            const std::string bound = db::asText(value);
            if (!matchesFormat(c.format, bound)) {
                error.set(1, kRefusedInvalid, c.name + "格式错误：" + formatDescription(c.format),
                          "查询条件 " + c.name);
                return false;
            }
            conditions.add(numberKey(c.column) +
                               (c.filter == Filter::NumberAtLeast ? " >= ?" : " <= ?"),
                           std::string(kNumberWidth - bound.size(), '0') + bound);
            break;
        }
        case Filter::EqualUnlessAll:
            if (db::asInt(value) != -1 && db::asInt(value) != 0)
                conditions.add(c.column + " = ?", value);
            break;
        case Filter::Limit:
            if (db::asInt(value) > 0)
                limit = db::asInt(value);
            break;
        }
    }
    selection.rows = limit > 0 ? std::min(limit, context.maxRows) : context.maxRows;
    return true;
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

int Table::query(const QueryPlan& plan, CallContext& context, const CTvdBasicStructObject& criteria,
                 CTvdBasicListObject& out, CBSErrorMsg& error) const
{
    Selection selection;
    if (!select(plan, context, criteria, selection, error))
        return 1;
    // Secrets go only to an operator who may modify the table, and each answer of them is audited;
    // a criterion on a secret would tell it to anyone else, so for them it matches nothing.
    const bool reveal = revealEntity() != 0 && context.holdsModifyRight(revealEntity());
    if (!reveal && !selection.sealed.empty())
        return 0;
    answerRows(context, selection, reveal, out);
    return 0;
}

int Table::add(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
               CBSErrorMsg& error) const
{
    for (int i = 0; i < records.count(); ++i)
        if (!checkRecord(context, records.element(i), batch.done + i + 1, batch.verified, error) ||
            !checkRange(context, records.element(i), batch.done + i + 1, false, error))
            return 1;
    std::vector<std::vector<std::uint64_t>> hashes;
    if (!checkBatchDuplicates(records, batch.done, hashes, error) ||
        !checkBatchOverlaps(records, batch.done, error) ||
        !checkStoredDuplicates(context, records, batch, error))
        return 1;
    batch.added.resize(uniqueSets_.size());
    // Rows go to the database a chunk at a time, so that many records are not held a second
    // time as rows.
    std::vector<Row> rows;
    rows.reserve(std::min(static_cast<std::size_t>(records.count()), kInsertChunk));
    for (int i = 0; i < records.count(); ++i) {
        const CTvdBasicStructObject& record = records.element(i);
        Row row;
        row.reserve(columns_.size());
        for (const auto& c : columns_)
            row.push_back(valueOf(record, c, context.secrets));
        rows.push_back(std::move(row));
        context.auditKeys.push_back(name_ + " " + keyText(record));
        if (rows.size() == kInsertChunk || i + 1 == records.count()) {
            context.db.insertMany(name_, columnNames_, rows);
            rows.clear();
        }
    }
    for (std::size_t set = 0; set < uniqueSets_.size(); ++set)
        batch.added[set].insert(batch.added[set].end(), hashes[set].begin(), hashes[set].end());
    batch.done += records.count();
    return 0;
}

int Table::modify(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
                  CBSErrorMsg& error) const
{
    for (int i = 0; i < records.count(); ++i) {
        const CTvdBasicStructObject& record = records.element(i);
        const int position = batch.done + i + 1;
        const bool rangeChanged =
            !def_.rangeLast.empty() && record.isSet(column(def_.rangeLast).member);
        if (!checkRecord(context, record, position, batch.verified, error) ||
            (rangeChanged && !checkRange(context, record, position, true, error)) ||
            !checkUniquesKept(context, record, position, error))
            return 1;
        std::vector<std::string> set;
        Row params;
        for (const auto& c : columns_) {
            const bool key =
                std::find(keyColumns_.begin(), keyColumns_.end(), c.member) != keyColumns_.end();
            if (key || !record.isSet(c.member))
                continue;
            set.push_back(c.name + " = ?");
            params.push_back(valueOf(record, c, context.secrets));
        }
        for (auto& value : keyValues(record))
            params.push_back(std::move(value));
        const std::int64_t changed =
            set.empty() ? (exists(context.db, keyExists_, keyValues(record)) ? 1 : 0)
                        : context.db.execCount(
                              "UPDATE " + name_ + joined(set, " SET ", ", ") + keyWhere_, params);
        if (changed != 1) {
            refuse(error, kRefusedNotFound,
                   changed == 0 ? "要修改的记录不存在" : "关键字匹配到多条记录", record, position);
            return 1;
        }
        context.auditKeys.push_back(name_ + " " + keyText(record));
    }
    batch.done += records.count();
    return 0;
}

int Table::remove(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
                  CBSErrorMsg& error) const
{
    for (int i = 0; i < records.count(); ++i) {
        const CTvdBasicStructObject& record = records.element(i);
        const int position = batch.done + i + 1;
        if (!checkKeysSet(record, position, error) ||
            !checkNotReferenced(context, record, position, error))
            return 1;
        const std::int64_t changed =
            context.db.execCount("DELETE FROM " + name_ + keyWhere_, keyValues(record));
        if (changed != 1) {
            refuse(error, kRefusedNotFound,
                   changed == 0 ? "要删除的记录不存在" : "关键字匹配到多条记录", record, position);
            return 1;
        }
        context.auditKeys.push_back(name_ + " " + keyText(record));
    }
    batch.done += records.count();
    return 0;
}

void Table::seed(db::Driver& db, const secrets::SecretBox& box,
                 const CTvdBasicListObject& records) const
{
    const std::string sql = db.insertIgnoring(name_, columnNames_);
    for (int i = 0; i < records.count(); ++i) {
        Row row;
        for (const auto& c : columns_)
            row.push_back(valueOf(records.element(i), c, box));
        db.exec(sql, row);
    }
}

std::vector<secrets::SealedColumn> sealedColumns()
{
    std::vector<secrets::SealedColumn> sealed;
    for (const auto& table : Tables())
        for (const auto& c : table.columns_)
            if (c.secret)
                sealed.push_back({table.name_, c.name, table.keyNames_, ""});
    return sealed;
}

const std::vector<Table>& Tables()
{
    static const std::vector<Table> tables = [] {
        std::vector<Table> all;
        for (const auto& def : TableDefs())
            all.emplace_back(def);
        return all;
    }();
    return tables;
}

const Table& TableOf(const std::string& name)
{
    for (const auto& table : Tables())
        if (table.name() == name)
            return table;
    throw std::logic_error("no table " + name);
}

} // namespace rsim::tables
