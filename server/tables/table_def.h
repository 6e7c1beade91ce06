// What the service stores of each record type, as data: the table's shared declaration (record,
// key, rights), the rules of its members and how criteria filter it. The SQL of a table is
// derived from its def and the record's registered description (member names, order and kinds).
#pragma once

#include "ResRemoteSimTables.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rsim::tables {

// Formats of the trade that a member must follow when it is set.
enum class Format {
    Any,
    Imsi,   // 15 digits
    Iccid,  // 19 or 20 of 0-9, A-F
    Ki,     // 32 hexadecimal characters
    Pin,    // 4 to 8 digits
    Puk,    // 8 digits
    Smsp,   // an optional "+" and at most 20 digits
    Msisdn, // 1 to 15 digits
    Code,   // not empty, no blanks
};

struct MemberRule {
    std::string member;
    Format format = Format::Any;
    // The table whose single key the value must name (none: empty; an empty value is allowed).
    std::string_view references{};
    bool secret = false; // encrypted at rest, never in audit keys
};

// How a member of the criteria record filters the table. The Number bounds compare SIM numbers,
// of 19 or 20 characters, as numbers rather than as text.
enum class Filter {
    Equal,
    Contains,
    AtLeast,
    AtMost,
    NumberAtLeast,
    NumberAtMost,
    Limit,
    EqualUnlessAll
};

struct Criterion {
    std::string member; // of the criteria record
    std::string column; // of the table
    Filter filter = Filter::Equal;
};

// A table as the service stores it: its declaration shared with the windows (record, key,
// rights), and the rules only the service applies.
struct TableDef {
    rsimcatalog::TableInfo table;
    std::vector<std::string> uniques{}; // further unique members (each alone)
    std::vector<MemberRule> rules{};
    // Members whose criteria match by substring; others match exactly.
    std::vector<std::string> contains{};
    // Criteria of a criteria record of another type; empty: the record type itself.
    std::vector<Criterion> criteria{};
    // A range [first, last] that must be ordered, of equal lengths, and not overlap another.
    std::string rangeFirst{}, rangeLast{};
    std::int64_t defaultLimit = 0; // rows when no limit is asked; 0: all
    std::string order{};           // ORDER BY of a query; empty: the keys

    std::string name() const { return std::string(table.name); }
    const CTvdTypeInfo& record() const { return table.record(); }
    // The key's member names, in key order.
    std::vector<std::string> keyNames() const;
};

const std::vector<TableDef>& TableDefs();
const TableDef& TableDefOf(std::string_view table);

} // namespace rsim::tables
