// Typed access to a record's members. Code that reads or writes members whatever their kind
// visits them (std::visit), so a member's kind decides its type in one place only.
#pragma once

#include "tvd_object.h"

#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

using TvdMember =
    std::variant<std::string*, std::int16_t*, std::int32_t*, std::int64_t*, CBSDateTime*>;
using TvdConstMember = std::variant<const std::string*, const std::int16_t*, const std::int32_t*,
                                    const std::int64_t*, const CBSDateTime*>;

// A visitor made of one lambda per kind, or generic lambdas covering several.
template <class... Visitors>
struct TvdOverloaded : Visitors... {
    using Visitors::operator()...;
};

// Calls visitor with std::type_identity<T>{} for the type T of a record member of that kind, so
// that code reading the same members of many records can choose once, per member, what to do
// with each (a plan), rather than visiting every member of every record. Throws std::logic_error
// for a kind that is not a record member's.
template <class Visitor>
decltype(auto) tvd_withKind(int kind, Visitor&& visitor)
{
    switch (kind) {
    case TVD_STRING: return visitor(std::type_identity<std::string>{});
    case TVD_INT16: return visitor(std::type_identity<std::int16_t>{});
    case TVD_INT32: return visitor(std::type_identity<std::int32_t>{});
    case TVD_INT64: return visitor(std::type_identity<std::int64_t>{});
    case TVD_DATETIME: return visitor(std::type_identity<CBSDateTime>{});
    default: throw std::logic_error("record member of kind " + std::to_string(kind));
    }
}

// The member of type T at a completed offset (from the record type's member table): for a plan
// made with tvd_withKind.
template <class T>
const T& tvd_memberAt(const CTvdBasicStructObject& record, int offset)
{
    return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&record) + offset);
}
template <class T>
T& tvd_memberAt(CTvdBasicStructObject& record, int offset)
{
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(&record) + offset);
}

// The member at index (0 <= index < member count) of a registered record.
TvdMember tvd_member(CTvdBasicStructObject& record, int index);
TvdConstMember tvd_member(const CTvdBasicStructObject& record, int index);
