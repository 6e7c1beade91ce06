// What the service stores of each record type, as data: the table, its keys, the rules of its
// members, how criteria filter it, and the rights of its writes. The SQL of a table is derived
// from its def and the record's registered description (member names, order and kinds).
#pragma once

#include "tvd_object.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rsim::tables {

// Formats of the trade that a member must follow when it is set.
enum class Format {
    Any,
    Imsi,    // 15 digits
    Iccid,   // 19 or 20 of 0-9, A-F (either case)
    Ki,      // 32 hexadecimal characters
    Pin,     // 4 to 8 digits
    Puk,     // 8 digits
    Smsp,    // an optional "+" and at most 20 digits
    Msisdn,  // 1 to 15 digits
    Code,    // not empty, no blanks
};

struct MemberRule {
    MemberRule(std::string m, Format f = Format::Any, std::string ref = {}, bool s = false)
        : member(std::move(m)), format(f), references(std::move(ref)), secret(s)
    {
    }
    std::string member;
    Format format;
    std::string references; // table whose single key the value must name ("" none; empty value allowed)
    bool secret;            // encrypted at rest, never in audit keys
};

// How a member of the criteria record filters the table.
enum class Filter { Equal, Contains, AtLeast, AtMost, Limit, EqualUnlessAll };

struct Criterion {
    Criterion(std::string m, std::string c, Filter f = Filter::Equal)
        : member(std::move(m)), column(std::move(c)), filter(f)
    {
    }
    std::string member; // of the criteria record
    std::string column; // of the table
    Filter filter;
};

struct TableDef {
    std::string table{};
    const CTvdTypeInfo* (*recordType)() = nullptr;
    std::vector<std::string> keys{};
    std::vector<std::string> uniques{}; // further unique members (each alone)
    std::vector<MemberRule> rules{};
    // Members whose criteria match by substring; others match exactly.
    std::vector<std::string> contains{};
    // Criteria of a criteria record of another type; empty: the record type itself.
    std::vector<Criterion> criteria{};
    // A range [first, last] that must be ordered, of equal lengths, and not overlap another.
    std::string rangeFirst{}, rangeLast{};
    std::int64_t defaultLimit = 0; // rows when no limit is asked; 0: all
    std::array<std::int32_t, 3> rights{}; // add, modify, delete
    std::string order{}; // ORDER BY of a query; empty: the keys
};

const std::vector<TableDef>& TableDefs();
const TableDef& TableDefOf(const std::string& table);

} // namespace rsim::tables
