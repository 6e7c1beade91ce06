// The SQL of a table: pieces of statements, values as stored, and the plan and conditions of a
// query.
#include "table_parts.h"

#include "formats.h"
#include "tvd_member.h"

#include <algorithm>

namespace rsim::tables {
namespace {

// SIM numbers (19 or 20 characters) compare as numbers by their text left-padded with zeros to
// the widest; the expression is the one the index of the SIM numbers is built on.
constexpr std::size_t kNumberWidth = 20;

std::string numberKey(const std::string& column)
{
    return "SUBSTR('" + std::string(kNumberWidth, '0') + "' || " + column + ", LENGTH(" + column +
           ") + 1)";
}

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

} // namespace

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

bool exists(db::Driver& db, const std::string& sql, const Row& params)
{
    return !isNull(db.scalar(sql, params));
}

StoredValue storedValueOf(int kind)
{
    return tvd_withKind(
        kind, [](auto type) -> StoredValue { return &storedValue<typename decltype(type)::type>; });
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

} // namespace rsim::tables
