// Records of the remote-SIM management service.
#pragma once

#include "tvd_record.h"

// Member lists are laid out by hand, several members to a line in declaration order; the
// formatter would stair-step them.
// clang-format off

namespace MResRemoteMgntApp {

#define SOpInfo_MEMBERS(M)                                                                     \
    M(int16, REGION_CODE) M(int16, COUNTY_CODE) M(int32, ORG_ID) M(int32, OP_ID)
TVD_RECORD(MResRemoteMgntApp, SOpInfo, SOpInfo_MEMBERS)

} // namespace MResRemoteMgntApp

namespace MResRemoteMgntDef {

#define SResRemoteProvCode_MEMBERS(M) M(string, PROVINCE_CODE) M(string, PROVINCE_NAME)

#define SResRemoteCardType_MEMBERS(M)                                                          \
    M(string, CARD_TYPE) M(string, CARD_NAME) M(int16, STS) M(date, STS_DATE) M(int16, IS_DOUBLE)

#define SResRemoteVendorCode_MEMBERS(M)                                                        \
    M(string, VENDOR_CODE) M(string, VENDOR_NAME) M(int16, IS_KI)

#define SResRemoteMsisdnGroup_MEMBERS(M)                                                       \
    M(string, MSISDN_GROUP) M(string, MSISDN_NAME) M(int16, REGION_CODE) M(int16, ALART_SET)   \
    M(string, PROVINCE_CODE) M(int16, COUNTY_CODE) M(int32, ORG_ID)

#define SResRemoteImsiMsisdnGrp_MEMBERS(M)                                                     \
    M(string, MSISDN_GROUP) M(string, FIRST_IMSI) M(string, LAST_IMSI) M(int16, REGION_CODE)   \
    M(string, PROVINCE_CODE) M(int16, COUNTY_CODE) M(int32, ORG_ID)

#define SResRemoteMsisdnGrp_MEMBERS(M)                                                         \
    M(string, MSISDN_GROUP) M(string, FIRST_MSISDN) M(string, LAST_MSISDN)                     \
    M(int16, REGION_CODE) M(string, PROVINCE_CODE) M(int16, COUNTY_CODE) M(int32, ORG_ID)

#define SRemoteSimInfo_MEMBERS(M)                                                              \
    M(string, IMSI) M(string, SIM_ID) M(string, MSISDN_SEG) M(int16, BRAND)                    \
    M(string, RES_CODE) M(int32, HLR_CODE) M(int16, REGION_CODE) M(int16, COUNTY_CODE)         \
    M(int32, ORG_ID) M(int32, AGENT_ID) M(string, PUK1) M(string, PUK2) M(string, PIN1)        \
    M(string, PIN2) M(int16, PURPOSE) M(int16, MAIN_FLAG) M(string, MAIN_SIM_ID) M(int16, STS) \
    M(date, STS_DATE) M(int16, RES_STS) M(int32, RES_OP_ID) M(date, RES_DATE)                  \
    M(int16, HLR_STS) M(date, HLR_DATE) M(int32, RECEIVER) M(int16, IS_CONFIRM)                \
    M(int64, BATCH_ID) M(string, KI_CODE) M(int16, SIM_TYPE) M(int16, BIND_STS)                \
    M(string, REMARK) M(date, CREATE_DATE) M(date, SALE_DATE) M(date, WHOLESALE_DATE)          \
    M(int16, OREGION_CODE) M(int16, AGENT_MODE) M(int64, OPERATION_ID) M(int16, KI_STS)        \
    M(int16, KIND) M(string, SIM_SEQUENCE) M(string, VERSION_ID) M(string, SMSP)               \
    M(string, VENDOR_CODE) M(string, KI_KEY)

#define SRemoteSimQryIn_MEMBERS(M)                                                             \
    M(string, START_IMSI) M(string, END_IMSI) M(string, START_SIM_ID) M(string, END_SIM_ID)    \
    M(string, RES_CODE) M(int16, REGION_CODE) M(int16, COUNTY_CODE) M(int32, ORG_ID)          \
    M(int16, STS) M(int16, RES_STS) M(int32, MAX_NUM)

#define SResRemoteCardVendorDll_MEMBERS(M)                                                     \
    M(string, PROVINCE_CODE) M(string, VENDOR_CODE) M(string, CARD_TYPE) M(string, DLL_NAME)   \
    M(string, REG_CODE) M(string, VERSION_ID) M(date, CREATE_DATE)

#define SResRemoteDllErrMsg_MEMBERS(M)                                                         \
    M(string, VENDOR_CODE) M(string, CARD_TYPE) M(string, DLL_NAME) M(string, ERR_CODE)        \
    M(string, ERR_MESSAGE)

#define SResRemoteAucInfo_MEMBERS(M)                                                           \
    M(string, PROVINCE_CODE) M(string, VENDOR_CODE) M(string, CARD_TYPE)                       \
    M(string, SIM_SEQUENCE) M(string, PWD) M(int16, REGION_CODE) M(int16, COUNTY_CODE)         \
    M(int32, ORG_ID) M(string, FUNCTION_CODE) M(int32, OP_ID) M(int16, STS)                    \
    M(date, OPER_DATE) M(string, EXT_HOLD1) M(string, EXT_HOLD2)

#define SResRemoteSysAuc_MEMBERS(M)                                                            \
    M(string, SIM_SEQUENCE) M(int16, ENT_TYPE) M(string, ENT_CODE) M(string, ENT_NAME)

#define SPsNetNumber_MEMBERS(M)                                                                \
    M(string, NUMBER_SEGMENT) M(int32, PS_SERVICE_TYPE) M(string, PS_NET_CODE)                 \
    M(string, GROUP_CODE) M(string, REGION_CODE) M(int16, STATUS) M(int32, OPER_ID)            \
    M(int32, ORG_ID) M(date, DONE_DATE) M(int64, DONE_CODE) M(string, SMP_REGION_CODE)         \
    M(string, REMARK) M(string, BAK_PS_NET_CODE)

#define SPsNetImsi_MEMBERS(M)                                                                  \
    M(string, START_IMSI) M(string, END_IMSI) M(string, PS_NET_CODE) M(string, GROUP_CODE)     \
    M(string, REGION_CODE) M(string, REMARK) M(string, BAK_PS_NET_CODE)

#define SQryPsNetNumberIn_MEMBERS(M)                                                           \
    M(string, NUMBER_SEGMENT) M(int32, PS_SERVICE_TYPE) M(string, PS_NET_CODE)                 \
    M(string, GROUP_CODE) M(string, REGION_CODE) M(int16, STATUS) M(int32, OPER_ID)            \
    M(int32, ORG_ID) M(int64, DONE_CODE) M(string, SMP_REGION_CODE) M(string, BAK_PS_NET_CODE)

#define SQryPsNetImsiIn_MEMBERS(M)                                                             \
    M(string, START_IMSI) M(string, END_IMSI) M(string, PS_NET_CODE) M(string, GROUP_CODE)     \
    M(string, REGION_CODE) M(string, BAK_PS_NET_CODE)

#define SRemoteSimLog_MEMBERS(M)                                                               \
    M(int64, SO_NBR) M(string, SIM_ID) M(string, IMSI) M(int32, OP_ID) M(int16, OP_TYPE)       \
    M(date, OP_TIME) M(string, OP_STR) M(string, CARD_FLAG) M(int16, OP_RESULT)                \
    M(string, PHONE1) M(string, PHONE2) M(int16, REGION_CODE) M(string, REMARK)

#define SQryRemoteSimLogIn_MEMBERS(M)                                                          \
    M(int64, SO_NBR) M(string, SIM_ID) M(string, IMSI) M(int32, OP_ID) M(int16, OP_TYPE)       \
    M(date, BEGIN_OP_TIME) M(date, END_OP_TIME) M(string, CARD_FLAG) M(int16, OP_RESULT)       \
    M(string, PHONE1) M(string, PHONE2) M(int16, REGION_CODE)

// Records that travel in lists: (namespace-less name).
#define RSIM_LISTED_RECORDS(R)                                                                 \
    R(SResRemoteProvCode) R(SResRemoteCardType) R(SResRemoteVendorCode)                        \
    R(SResRemoteMsisdnGroup) R(SResRemoteImsiMsisdnGrp) R(SResRemoteMsisdnGrp)                 \
    R(SRemoteSimInfo) R(SResRemoteCardVendorDll) R(SResRemoteDllErrMsg) R(SResRemoteAucInfo)   \
    R(SResRemoteSysAuc) R(SPsNetNumber) R(SPsNetImsi) R(SRemoteSimLog)

// Criteria records without a list class.
#define RSIM_CRITERIA_RECORDS(R)                                                               \
    R(SRemoteSimQryIn) R(SQryPsNetNumberIn) R(SQryPsNetImsiIn) R(SQryRemoteSimLogIn)

#define RSIM_DECLARE_LISTED_(Name)                                                             \
    TVD_RECORD(MResRemoteMgntDef, Name, Name##_MEMBERS)                                        \
    TVD_LIST(MResRemoteMgntDef, Name)
#define RSIM_DECLARE_CRITERIA_(Name) TVD_RECORD(MResRemoteMgntDef, Name, Name##_MEMBERS)

RSIM_LISTED_RECORDS(RSIM_DECLARE_LISTED_)
RSIM_CRITERIA_RECORDS(RSIM_DECLARE_CRITERIA_)

} // namespace MResRemoteMgntDef
// clang-format on
