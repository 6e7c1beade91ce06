// Records of the remote-SIM management service and the list of its tables and operations.
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

// Criteria records without a list class.
#define RSIM_CRITERIA_RECORDS(R)                                                               \
    R(SRemoteSimQryIn) R(SQryPsNetNumberIn) R(SQryPsNetImsiIn) R(SQryRemoteSimLogIn)

} // namespace MResRemoteMgntDef
// clang-format on

namespace MResRemoteMgntApp {
// "RMOSMQnn", the code of the remote-SIM operation numbered nn.
template <int Number>
inline constexpr char kOperationCode[] = {
    'R', 'M', 'O', 'S', 'M', 'Q', char('0' + Number / 10), char('0' + Number % 10), '\0'};
} // namespace MResRemoteMgntApp

// The maintained tables, each with add, modify, delete and query numbered in that order
// from the row's first number. A row of RSIM_TABLE_ follows the naming rule: (record name without
// its leading S, operation suffix, first number) for the record S<Name>, its list member
// list<Name> and its query's criteria S<Name> as member s<Name>. The rows that break the rule
// name everything: (record, suffix, first number, list member, criteria member, criteria record).
#define RSIM_FAMILIES(F)                                                                           \
    RSIM_TABLE_(F, ResRemoteProvCode, provinceCode, 1)                                             \
    RSIM_TABLE_(F, ResRemoteCardType, cardType, 5)                                                 \
    RSIM_TABLE_(F, ResRemoteVendorCode, vendorCode, 9)                                             \
    RSIM_TABLE_(F, ResRemoteMsisdnGroup, msisdnGroup, 13)                                          \
    RSIM_TABLE_(F, ResRemoteImsiMsisdnGrp, imsiMsisdnGrp, 17)                                      \
    RSIM_FAMILY_(F, SResRemoteMsisdnGrp, msisdnGrp, 21, listResRemoteMsisdnGrp,                    \
                 sResRemoteImsiMsisdnGrp, SResRemoteMsisdnGrp)                                     \
    RSIM_FAMILY_(F, SRemoteSimInfo, simInfo, 25, listRemoteSimInfo, sIn, SRemoteSimQryIn)          \
    RSIM_TABLE_(F, ResRemoteCardVendorDll, cardVendorDll, 30)                                      \
    RSIM_TABLE_(F, ResRemoteDllErrMsg, cardErrMsg, 34)                                             \
    RSIM_TABLE_(F, ResRemoteAucInfo, aucVerifyInfo, 40)                                            \
    RSIM_TABLE_(F, ResRemoteSysAuc, aucSysInfo, 44)

#define RSIM_TABLE_(F, Name, suffix, first)                                                        \
    RSIM_FAMILY_(F, S##Name, suffix, first, list##Name, s##Name, S##Name)
// Expands a row for F as (record, suffix, add, modify, delete and query codes, list member,
// criteria member, criteria record).
#define RSIM_FAMILY_(F, Rec, suffix, first, listName, critName, CritT)                             \
    F(Rec, suffix, MResRemoteMgntApp::kOperationCode<first>,                                       \
      MResRemoteMgntApp::kOperationCode<first + 1>, MResRemoteMgntApp::kOperationCode<first + 2>,  \
      MResRemoteMgntApp::kOperationCode<first + 3>, listName, critName, CritT)

// Query-only operations: (operation, code, criteria record, criteria member, list record,
// list member).
#define RSIM_INQUIRIES(Q)                                                                          \
    Q(qry_psNetNumber, "RMOSMQ49", SQryPsNetNumberIn, sIn, SPsNetNumber, listPsNetNumber)          \
    Q(qry_psNetImsiList, "RMOSMQ50", SQryPsNetImsiIn, sIn, SPsNetImsi, listPsNetImsi)              \
    Q(qry_remoteSimLog, "RMOSMQ52", SQryRemoteSimLogIn, sIn, SRemoteSimLog, listRemoteSimLog)

// The records of the tables above travel in lists; the criteria records alone.
namespace MResRemoteMgntDef {

#define RSIM_DECLARE_LISTED_(Name, ...)                                                            \
    TVD_RECORD(MResRemoteMgntDef, Name, Name##_MEMBERS)                                            \
    TVD_LIST(MResRemoteMgntDef, Name)
#define RSIM_DECLARE_INQUIRY_LISTED_(op, code, CritT, critName, Rec, listName)                     \
    RSIM_DECLARE_LISTED_(Rec)
#define RSIM_DECLARE_CRITERIA_(Name) TVD_RECORD(MResRemoteMgntDef, Name, Name##_MEMBERS)

RSIM_FAMILIES(RSIM_DECLARE_LISTED_)
RSIM_INQUIRIES(RSIM_DECLARE_INQUIRY_LISTED_)
RSIM_CRITERIA_RECORDS(RSIM_DECLARE_CRITERIA_)

} // namespace MResRemoteMgntDef
