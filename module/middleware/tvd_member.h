// Typed access to a record's members. Code that reads or writes members whatever their kind
// visits them (std::visit), so a member's kind decides its type in one place only.
#pragma once

#include "tvd_object.h"

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

// The member at index (0 <= index < member count) of a registered record.
TvdMember tvd_member(CTvdBasicStructObject& record, int index);
TvdConstMember tvd_member(const CTvdBasicStructObject& record, int index);
