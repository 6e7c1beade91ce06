// Records of the system-management definitions: regions, counties, organisations, operators and
// rights.
#pragma once

#include "tvd_record.h"

// Member lists are laid out by hand, several members to a line in declaration order; the
// formatter would stair-step them.
// clang-format off

namespace MSysmgntDef {

#define SRegion_MEMBERS(M)                                                                     \
    M(int16, REGION_CODE) M(string, REGION_NAME) M(string, REGION_BRIEF) M(string, FEE_AREA_NO)

#define SCounty_MEMBERS(M)                                                                     \
    M(int16, COUNTY_CODE) M(string, COUNTY_NAME) M(int32, REGION_CODE) M(int32, SEQ_NO)

#define SOrgBriefProfile_MEMBERS(M)                                                            \
    M(int32, ORG_ID) M(string, ORG_NAME) M(int32, COUNTY_CODE) M(int32, REGION_CODE)           \
    M(int32, MANAGER_OP_ID) M(int32, PRI_ORG_ID) M(int32, ORG_TYPE_ID) M(string, LINKER)       \
    M(string, LINK_PHONE) M(string, ADDRESS) M(int32, POST_CODE) M(int16, STS)

#define SAgentBriefProfile_MEMBERS(M)                                                          \
    M(int32, AGENT_ID) M(string, AGENT_NAME) M(int32, PARENT_AGENT)

#define SOperator_MEMBERS(M)                                                                   \
    M(int32, OP_ID) M(string, OP_NAME) M(string, LOGIN_NAME) M(int16, REG_TYPE)                \
    M(string, REG_NBR) M(string, PHONE) M(string, ADDRESS) M(int32, POST_CODE) M(int16, TYPE)  \
    M(string, OP_PASSWD) M(int16, OP_STATUS) M(int16, LOCK_STATUS) M(date, CREATE_DATE)        \
    M(date, VALID_DATE) M(date, EXPIRE_DATE) M(int32, SECURITY_ID) M(int32, ORG_ID)            \
    M(int32, COUNTY_CODE) M(int32, REGION_CODE) M(string, MEMO)

#define SOperatorBrief_MEMBERS(M)                                                              \
    M(int32, OP_ID) M(string, OP_NAME) M(int16, OP_STATUS) M(int32, REGION_CODE) M(int32, ORG_ID)

#define SPrivEntity_MEMBERS(M)                                                                 \
    M(int32, ENT_ID) M(string, ENT_NAME) M(int32, ENT_OWN_ID) M(int16, ENT_CLASS_ID)           \
    M(int16, ENT_TYPE_ID) M(int32, NODE_ID) M(int16, IS_VISABLE)

#define SOperPrivAuth_MEMBERS(M) M(int32, ENT_ID) M(int32, PRIV_ID) M(int16, AUTHORIZED)

#define SYSMGNT_RECORDS(R)                                                                     \
    R(SRegion) R(SCounty) R(SOrgBriefProfile) R(SAgentBriefProfile) R(SOperator)               \
    R(SOperatorBrief) R(SPrivEntity) R(SOperPrivAuth)

#define SYSMGNT_DECLARE_(Name)                                                                 \
    TVD_RECORD(MSysmgntDef, Name, Name##_MEMBERS)                                              \
    TVD_LIST(MSysmgntDef, Name)

SYSMGNT_RECORDS(SYSMGNT_DECLARE_)

} // namespace MSysmgntDef
// clang-format on
