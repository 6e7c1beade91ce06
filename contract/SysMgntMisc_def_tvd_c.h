// System parameters.
#pragma once

#include "tvd_record.h"

// Member lists are laid out by hand, several members to a line in declaration order; the
// formatter would stair-step them.
// clang-format off

namespace MSysmgntDef {

// PARAM_SECRET 1: the value is sealed at rest and answered only to holders of the right that
// reveals it (in answers only).
#define SPublicParam_MEMBERS(M)                                                                \
    M(int16, REGION_CODE) M(int16, COUNTY_CODE) M(string, PARAM_CODE) M(string, PARAM_NAME)    \
    M(int16, PARAM_CLASS) M(string, PARAM_DATA_TYPE) M(string, PARAM_VALUE) M(string, PARAM_DESC) \
    M(int16, PARAM_SECRET)

TVD_RECORD(MSysmgntDef, SPublicParam, SPublicParam_MEMBERS)
TVD_LIST(MSysmgntDef, SPublicParam)

} // namespace MSysmgntDef
// clang-format on
