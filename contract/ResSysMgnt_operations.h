// Resource-code records and the resource-management interface ("RMRESD31") as both ends of the
// wire know it.
#pragma once

#include "tvd_record.h"

// Member lists are laid out by hand, several members to a line in declaration order; the
// formatter would stair-step them.
// clang-format off

namespace MResSysMgnt {

#define SQueryResCodeIn_MEMBERS(M)                                                             \
    M(int16, REGION_CODE) M(int16, COUNTY_CODE) M(int32, ORG_ID) M(int32, OP_ID)               \
    M(int32, RES_CODE) M(string, RES_NAME) M(int16, RES_TYPE) M(int16, USER_TYPE)              \
    M(int16, IS_VALID) M(int64, OPERATION_ID) M(int16, IS_DETAIL) M(int16, RES_ADSCRIPTION)    \
    M(date, VALID_DATE) M(date, EXPIRE_DATE) M(int16, EXT_HOLDS) M(string, EXT_HOLDS1)         \
    M(string, EXT_HOLDS2) M(string, EXT_HOLDS3)

#define SResCodeDefInfo_MEMBERS(M)                                                             \
    M(int32, RES_CODE) M(string, RES_NAME) M(int16, RES_TYPE) M(int16, USER_TYPE)              \
    M(string, RES_DESC) M(string, FEATURE_DES) M(date, VALID_DATE) M(date, EXPIRE_DATE)        \
    M(int16, IS_DETAIL) M(int16, VALID_DAYS) M(int32, FEE_ITEM) M(int64, OPERATION_ID)         \
    M(int16, RES_ADSCRIPTION) M(int16, EXT_HOLDS) M(string, EXT_HOLDS1) M(string, EXT_HOLDS2)  \
    M(string, EXT_HOLDS3)

TVD_RECORD(MResSysMgnt, SQueryResCodeIn, SQueryResCodeIn_MEMBERS)
TVD_RECORD(MResSysMgnt, SResCodeDefInfo, SResCodeDefInfo_MEMBERS)
TVD_LIST(MResSysMgnt, SResCodeDefInfo)

// The interface's names and the parameter types of its operation.
struct IResSysMgntOperations {
    static constexpr const char* kTypeName = "MResSysMgnt::IResSysMgnt";
    static constexpr const char* kInterfaceName = "MResSysMgnt_IResSysMgnt";

    TVD_QUERY_PARAMS(query_resCode, SQueryResCodeIn, sIn, SResCodeDefInfoList, listResCodeDefInfo)
};

} // namespace MResSysMgnt
// clang-format on
