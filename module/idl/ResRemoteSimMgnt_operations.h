// The remote-SIM management interface as both ends of the wire know it: its 47 operations and
// their parameter types.
#pragma once

#include "ResRemoteSimMgnt_def_tvd_c.h"

namespace MResRemoteMgntApp {
// "RMOSMQnn", the code of the remote-SIM operation numbered nn.
template <int Number>
inline constexpr char kOperationCode[] = {
    'R', 'M', 'O', 'S', 'M', 'Q', char('0' + Number / 10), char('0' + Number % 10), '\0'};
} // namespace MResRemoteMgntApp

// The eleven maintained tables, each with add, modify, delete and query numbered in that order
// from the row's first number:
// (record, operation suffix, first number, list member, query criteria member, criteria record).
#define RSIM_FAMILIES(F)                                                                           \
    RSIM_FAMILY_(F, SResRemoteProvCode, provinceCode, 1, listResRemoteProvCode,                    \
                 sResRemoteProvCode, SResRemoteProvCode)                                           \
    RSIM_FAMILY_(F, SResRemoteCardType, cardType, 5, listResRemoteCardType, sResRemoteCardType,    \
                 SResRemoteCardType)                                                               \
    RSIM_FAMILY_(F, SResRemoteVendorCode, vendorCode, 9, listResRemoteVendorCode,                  \
                 sResRemoteVendorCode, SResRemoteVendorCode)                                       \
    RSIM_FAMILY_(F, SResRemoteMsisdnGroup, msisdnGroup, 13, listResRemoteMsisdnGroup,              \
                 sResRemoteMsisdnGroup, SResRemoteMsisdnGroup)                                     \
    RSIM_FAMILY_(F, SResRemoteImsiMsisdnGrp, imsiMsisdnGrp, 17, listResRemoteImsiMsisdnGrp,        \
                 sResRemoteImsiMsisdnGrp, SResRemoteImsiMsisdnGrp)                                 \
    RSIM_FAMILY_(F, SResRemoteMsisdnGrp, msisdnGrp, 21, listResRemoteMsisdnGrp,                    \
                 sResRemoteImsiMsisdnGrp, SResRemoteMsisdnGrp)                                     \
    RSIM_FAMILY_(F, SRemoteSimInfo, simInfo, 25, listRemoteSimInfo, sIn, SRemoteSimQryIn)          \
    RSIM_FAMILY_(F, SResRemoteCardVendorDll, cardVendorDll, 30, listResRemoteCardVendorDll,        \
                 sResRemoteCardVendorDll, SResRemoteCardVendorDll)                                 \
    RSIM_FAMILY_(F, SResRemoteDllErrMsg, cardErrMsg, 34, listResRemoteDllErrMsg,                   \
                 sResRemoteDllErrMsg, SResRemoteDllErrMsg)                                         \
    RSIM_FAMILY_(F, SResRemoteAucInfo, aucVerifyInfo, 40, listResRemoteAucInfo, sResRemoteAucInfo, \
                 SResRemoteAucInfo)                                                                \
    RSIM_FAMILY_(F, SResRemoteSysAuc, aucSysInfo, 44, listResRemoteSysAuc, sResRemoteSysAuc,       \
                 SResRemoteSysAuc)

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

// Defines the operations of a row of RSIM_FAMILIES or RSIM_INQUIRIES inside MResRemoteMgntApp, for
// What = TYPES (their parameter types and registration, members of Iface =
// IResRemoteMgntOperations) or PROXY (the client calls of Iface = IResRemoteMgnt, tvd_proxy.h).
#define RSIM_DEFINE_FAMILY_(What, Iface, Rec, suffix, addCode, modCode, delCode, qryCode,          \
                            listName, critName, CritT)                                             \
    TVD_WRITE_OPERATION_##What(Iface, add_##suffix, addCode, SOpInfo, sOpInfo,                     \
                               MResRemoteMgntDef::Rec##List, listName)                             \
        TVD_WRITE_OPERATION_##What(Iface, mod_##suffix, modCode, SOpInfo, sOpInfo,                 \
                                   MResRemoteMgntDef::Rec##List, listName)                         \
            TVD_WRITE_OPERATION_##What(Iface, del_##suffix, delCode, SOpInfo, sOpInfo,             \
                                       MResRemoteMgntDef::Rec##List, listName)                     \
                TVD_QUERY_OPERATION_##What(Iface, qry_##suffix, qryCode, MResRemoteMgntDef::CritT, \
                                           critName, MResRemoteMgntDef::Rec##List, listName)
#define RSIM_DEFINE_INQUIRY_(What, Iface, op, code, CritT, critName, Rec, listName)                \
    TVD_QUERY_OPERATION_##What(Iface, op, code, MResRemoteMgntDef::CritT, critName,                \
                               MResRemoteMgntDef::Rec##List, listName)

namespace MResRemoteMgntApp {

// The interface's names and the parameter types of its operations.
struct IResRemoteMgntOperations {
    static constexpr const char* kTypeName = "MResRemoteMgntApp::IResRemoteMgnt";
    static constexpr const char* kInterfaceName = "MResRemoteMgntApp_IResRemoteMgnt";

#define RSIM_FAMILY_PARAMS_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName,   \
                            CritT)                                                                 \
    TVD_WRITE_PARAMS(add_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)       \
    TVD_WRITE_PARAMS(mod_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)       \
    TVD_WRITE_PARAMS(del_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)       \
    TVD_QUERY_PARAMS(qry_##suffix, MResRemoteMgntDef::CritT, critName,                             \
                     MResRemoteMgntDef::Rec##List, listName)
#define RSIM_INQUIRY_PARAMS_(op, code, CritT, critName, Rec, listName)                             \
    TVD_QUERY_PARAMS(op, MResRemoteMgntDef::CritT, critName, MResRemoteMgntDef::Rec##List, listName)

    RSIM_FAMILIES(RSIM_FAMILY_PARAMS_)
    RSIM_INQUIRIES(RSIM_INQUIRY_PARAMS_)
};

} // namespace MResRemoteMgntApp
