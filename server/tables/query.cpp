// A query: the set members of the criteria record become the WHERE clause; rows come back in
// key order, every member marked set.
#include "stored_table.h"

#include "formats.h"

#include <algorithm>

namespace rsim::tables {
namespace {

std::string likePattern(const std::string& text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

// The value of a criteria member: an integer, or text (a date as "YYYY-MM-DD HH:MM:SS").
db::Value criterionValue(const CTvdBasicStructObject& criteria, int member)
{
    std::array<void*, CTvdBasicStructObject::kMaxMembers> addresses{};
    const_cast<CTvdBasicStructObject&>(criteria).get_members(addresses.data());
    const void* address = addresses[static_cast<std::size_t>(member)];
    switch (criteria.get_typeDesc()->members[member].kind) {
    case TVD_STRING: return *static_cast<const std::string*>(address);
    case TVD_INT16: return std::int64_t{*static_cast<const std::int16_t*>(address)};
    case TVD_INT32: return std::int64_t{*static_cast<const std::int32_t*>(address)};
    case TVD_INT64: return *static_cast<const std::int64_t*>(address);
    default: return static_cast<const CBSDateTime*>(address)->toWire();
    }
}

struct Filter {
    std::string where;
    db::Row params;
    std::int64_t limit;

    void add(const std::string& condition, db::Value value)
    {
        where += (where.empty() ? " WHERE " : " AND ") + condition;
        params.push_back(std::move(value));
    }
};

std::optional<Criterion> criterionOf(const TableDef& def, const std::string& member, bool ownType)
{
    const auto listed = std::find_if(def.criteria.begin(), def.criteria.end(),
                                     [&](const Criterion& c) { return c.member == member; });
    if (listed != def.criteria.end())
        return *listed;
    if (ownType)
        return Criterion{member};
    return std::nullopt;
}

// Adds the condition of one column criterion (every match but Limit).
void apply(Filter& filter, Match match, const Column& column, db::Value value, const std::string& like)
{
    if (auto* text = std::get_if<std::string>(&value))
        *text = normalised(column.format, std::move(*text));
    if (match == Match::Contains) {
        filter.add(column.name + " " + like + " ? ESCAPE '\\'", likePattern(db::asText(value)));
    } else if (match == Match::From) {
        filter.add(column.name + " >= ?", std::move(value));
    } else if (match == Match::To) {
        if (auto* text = std::get_if<std::string>(&value))
            *text = upperBound(column.format, std::move(*text));
        filter.add(column.name + " <= ?", std::move(value));
    } else if (match == Match::Exact || (db::asInt(value) != -1 && db::asInt(value) != 0)) {
        filter.add(column.name + " = ?", std::move(value));
    }
}

} // namespace

int Table::query(CallContext& context, const CTvdBasicStructObject& criteria, CTvdBasicListObject& out) const
{
    Filter filter{{}, {}, def_.rowCap};
    const bool ownType = criteria.get_typeInfo() == def_.recordType();
    const STvdTypeDesc* desc = criteria.get_typeDesc();
    for (int i = 0; i < desc->memberCount; ++i) {
        if (!criteria.isSet(i))
            continue;
        const auto criterion = criterionOf(def_, desc->members[i].name, ownType);
        if (!criterion)
            continue;
        db::Value value = criterionValue(criteria, i);
        if (criterion->match == Match::Limit) {
            if (db::asInt(value) > 0)
                filter.limit = db::asInt(value);
            continue;
        }
        const Column& target =
            columns_[static_cast<std::size_t>(column(criterion->column.empty() ? criterion->member : criterion->column))];
        // Secrets cannot filter: their stored form differs each time they are written.
        if (!target.secret)
            apply(filter, criterion->match, target, std::move(value), context.db.caseInsensitiveLike());
    }
    std::string sql;
    for (const auto& c : columns_)
        sql += (sql.empty() ? "SELECT " : ", ") + c.name;
    sql += " FROM " + def_.table + filter.where + " ORDER BY ";
    for (std::size_t k = 0; k < def_.keys.size(); ++k)
        sql += (k ? ", " : "") + def_.keys[k];
    if (filter.limit > 0)
        sql += " LIMIT " + std::to_string(filter.limit);
    context.db.query(sql, filter.params,
                     [&](const db::Row& row) { readRow(row, *out.append(), context.secrets); });
    return 0;
}

} // namespace rsim::tables
