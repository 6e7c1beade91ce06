// System parameters.
#pragma once

#include "tvd_record.h"

// Member lists are laid out by hand, several members to a line in declaration order; the
// formatter would stair-step them.
// clang-format off

namespace MSysmgntDef {

#define SPublicParam_MEMBERS(M)                                                                \
    M(int16, REGION_CODE) M(int16, COUNTY_CODE) M(string, PARAM_CODE) M(string, PARAM_NAME)    \
    M(int16, PARAM_CLASS) M(string, PARAM_DATA_TYPE) M(string, PARAM_VALUE) M(string, PARAM_DESC)

TVD_RECORD(MSysmgntDef, SPublicParam, SPublicParam_MEMBERS)
TVD_LIST(MSysmgntDef, SPublicParam)

} // namespace MSysmgntDef
// clang-format on
