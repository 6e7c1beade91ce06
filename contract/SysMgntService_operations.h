// The system-management and account services behind the public libraries: rights, system
// parameters, code lists, counties, business halls, operator profile, the current date, and the
// administration of operators.
#pragma once

#include "SysMgntMisc_def_tvd_c.h"
#include "sysmgnt_def_tvd_c.h"

namespace MSysSvcDef {

// Criteria of a code list: its category (BASE_DATA_CATEGORICAL).
#define SCodeCategory_MEMBERS(M) M(int32, CATEGORY)
// One code and its name.
#define SCodeName_MEMBERS(M) M(int64, CODE) M(string, NAME)
// The service's clock.
#define SServerDate_MEMBERS(M) M(date, NOW)
// An operator as administered: ROLE names a set of rights ("query", "maintain", "admin"; empty
// when the operator's rights are no role's); NEW_PASSWORD travels only in requests.
#define SOperatorAccount_MEMBERS(M)                                                                \
    M(int32, OP_ID)                                                                                \
    M(string, LOGIN_NAME)                                                                          \
    M(string, OP_NAME)                                                                             \
    M(string, ROLE)                                                                                \
    M(int32, REGION_CODE)                                                                          \
    M(int32, COUNTY_CODE)                                                                          \
    M(int32, ORG_ID)                                                                               \
    M(int16, LOCK_STATUS)                                                                          \
    M(string, NEW_PASSWORD)

TVD_RECORD(MSysSvcDef, SCodeCategory, SCodeCategory_MEMBERS)
TVD_RECORD(MSysSvcDef, SCodeName, SCodeName_MEMBERS)
TVD_LIST(MSysSvcDef, SCodeName)
TVD_RECORD(MSysSvcDef, SServerDate, SServerDate_MEMBERS)
TVD_LIST(MSysSvcDef, SServerDate)
TVD_RECORD(MSysSvcDef, SOperatorAccount, SOperatorAccount_MEMBERS)
TVD_LIST(MSysSvcDef, SOperatorAccount)

// The right to administer operators (privilege 10): list them, add them, set their passwords,
// lock, unlock and change their roles.
inline constexpr int kAdministerOperators = 55100;

} // namespace MSysSvcDef

// (operation, code, criteria record, criteria member, answer list, answer member)
#define SYSSVC_QUERIES(Q)                                                                          \
    Q(qry_sysParam, "SYSMQ02", MSysmgntDef::SPublicParam, sIn, MSysmgntDef::SPublicParamList,      \
      listPublicParam)                                                                             \
    Q(qry_baseType, "SYSMQ03", MSysSvcDef::SCodeCategory, sIn, MSysSvcDef::SCodeNameList,          \
      listCodeName)                                                                                \
    Q(qry_county, "SYSMQ04", MSysmgntDef::SCounty, sIn, MSysmgntDef::SCountyList, listCounty)      \
    Q(qry_org, "SYSMQ05", MSysmgntDef::SOrgBriefProfile, sIn, MSysmgntDef::SOrgBriefProfileList,   \
      listOrgBriefProfile)                                                                         \
    Q(qry_currentDate, "SYSMQ06", MSysSvcDef::SServerDate, sIn, MSysSvcDef::SServerDateList,       \
      listServerDate)                                                                              \
    Q(qry_operator, "SYSMQ07", MSysmgntDef::SOperatorBrief, sIn, MSysmgntDef::SOperatorList,       \
      listOperator)                                                                                \
    Q(qry_operatorAccount, "SYSMQ08", MSysSvcDef::SOperatorAccount, sIn,                           \
      MSysSvcDef::SOperatorAccountList, listOperatorAccount)

// Writes of operator accounts, each a list of accounts with the acting operator's brief:
// (operation, code).
#define SYSSVC_WRITES(W)                                                                           \
    W(add_operatorAccount, "SYSMQ09")                                                              \
    W(mod_operatorPassword, "SYSMQ10")                                                             \
    W(mod_operatorLock, "SYSMQ11")                                                                 \
    W(mod_operatorRole, "SYSMQ12")

// Defines the operations of the interface inside MSysSvcApp, for What = TYPES (their parameter
// types and registration, members of Iface = ISysMgntOperations) or PROXY (the client calls of
// Iface = ISysMgnt, tvd_proxy.h).
#define SYSSVC_DEFINE_QUERY_(What, Iface, op, code, InT, inName, OutT, outName)                    \
    TVD_QUERY_OPERATION_##What(Iface, op, code, InT, inName, OutT, outName)
#define SYSSVC_DEFINE_WRITE_(What, Iface, op, code)                                                \
    TVD_WRITE_OPERATION_##What(Iface, op, code, MSysmgntDef::SOperatorBrief, sOperator,            \
                               MSysSvcDef::SOperatorAccountList, listOperatorAccount)
// Sets the values of system parameters that exist (PARAM_CODE, REGION_CODE and COUNTY_CODE, 0 when
// unset, PARAM_VALUE), sealing those marked secret.
#define SYSSVC_DEFINE_PARAM_WRITE_(What, Iface)                                                    \
    TVD_WRITE_OPERATION_##What(Iface, mod_sysParam, "SYSMQ13", MSysmgntDef::SOperatorBrief,        \
                               sOperator, MSysmgntDef::SPublicParamList, listPublicParam)
#define SYSSVC_DEFINE_EXCHANGE_(What, Iface)                                                       \
    TVD_EXCHANGE_OPERATION_##What(Iface, chk_operRight, "SYSMQ01", MSysmgntDef::SOperatorBrief,    \
                                  sIn, MSysmgntDef::SOperPrivAuthList, listAsked,                  \
                                  MSysmgntDef::SOperPrivAuthList, listGranted)

namespace MSysSvcApp {

// The interface's names and the parameter types of its operations.
struct ISysMgntOperations {
    static constexpr const char* kTypeName = "MSysSvcApp::ISysMgnt";
    static constexpr const char* kInterfaceName = "MSysSvcApp_ISysMgnt";

    TVD_EXCHANGE_PARAMS(chk_operRight, MSysmgntDef::SOperatorBrief, sIn,
                        MSysmgntDef::SOperPrivAuthList, listAsked, MSysmgntDef::SOperPrivAuthList,
                        listGranted)
#define SYSSVC_QUERY_PARAMS_(op, code, InT, inName, OutT, outName)                                 \
    TVD_QUERY_PARAMS(op, InT, inName, OutT, outName)
    SYSSVC_QUERIES(SYSSVC_QUERY_PARAMS_)
#define SYSSVC_WRITE_PARAMS_(op, code)                                                             \
    TVD_WRITE_PARAMS(op, MSysmgntDef::SOperatorBrief, sOperator, MSysSvcDef::SOperatorAccountList, \
                     listOperatorAccount)
    SYSSVC_WRITES(SYSSVC_WRITE_PARAMS_)
    TVD_WRITE_PARAMS(mod_sysParam, MSysmgntDef::SOperatorBrief, sOperator,
                     MSysmgntDef::SPublicParamList, listPublicParam)
};

} // namespace MSysSvcApp
