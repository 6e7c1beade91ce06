// What the service stores of each record type, as data: the table, its keys, the rules of its
// members, its references, how criteria filter it, and the rights of its writes. Columns and SQL
// follow from the definition and the record's registered description (member names, order, kinds).
#pragma once

#include "tvd_object.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rsim::tables {

// Formats of the trade that a member follows whenever it is set.
enum class Format {
    Any,
    Code,   // not empty, no blanks
    Imsi,   // 15 digits
    Iccid,  // 19 or 20 of 0-9, A-F (either case; stored in capitals)
    Ki,     // 32 hexadecimal characters
    KiKey,  // a multiple of 8 characters, at most 32
    Pin,    // 4 to 8 digits
    Puk,    // 8 digits
    Smsp,   // empty, or an optional "+" and 1 to 20 digits
    Msisdn, // 1 to 15 digits
};

struct MemberRule {
    std::string member;
    Format format = Format::Any;
    bool required = false; // an add must set it (text: not empty); a modify may not empty it
    bool secret = false;   // encrypted at rest; never a criterion, never in audit keys or hints
};

// Members of this record that name a stored record of another table: in the order of that
// table's keys. Checked when every member is set and no text member is empty.
struct Reference {
    std::string table;
    std::vector<std::string> members;
};

// Service-filled members: the current time or the calling operator, when a write leaves them unset.
enum class Stamp { NowOnAdd, NowOnWrite, OperatorOnWrite };
struct StampRule {
    std::string member;
    Stamp stamp;
};

enum class Match {
    Exact,          // column = value
    Contains,       // column contains the text
    From,           // column >= value
    To,             // column <= value, taking every value that starts with it
    ExactUnlessAll, // column = value, unless the value is -1 ("忽略") or 0 ("全部")
    Limit,          // at most that many rows; 0 or less: the table's row cap
};

// How one member of the criteria record filters; column empty: the column of the same name.
struct Criterion {
    std::string member;
    Match match = Match::Exact;
    std::string column{};
};

struct TableDef {
    std::string table;
    std::string label; // what an operator calls a record of it ("省份")
    const CTvdTypeInfo* (*recordType)() = nullptr;
    std::vector<std::string> keys;     // the primary key; modify and delete name records by it
    std::vector<std::string> uniques{}; // further members unique each on its own
    std::vector<MemberRule> rules{};
    std::vector<Reference> references{};
    std::vector<StampRule> stamps{};
    // Criteria of the record type itself: every set member filters, exactly unless listed here.
    // Criteria of another type: only the listed members filter.
    std::vector<Criterion> criteria{};
    // A range [first, last]: ordered, ends of equal length, not overlapping another range.
    std::string rangeFirst{}, rangeLast{};
    std::int64_t rowCap = 0; // most rows a query answers unless it asks a limit; 0: all
    std::array<std::int32_t, 3> rights{}; // entity rights of add, modify, delete
};

const std::vector<TableDef>& TableDefs();

} // namespace rsim::tables
