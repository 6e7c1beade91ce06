// The remote-SIM management interface: parameter types and client proxies of its 47 operations.
#pragma once

#include "ResRemoteSimMgnt_def_tvd_c.h"

// The eleven maintained tables, each with add, modify, delete and query:
// (record, operation suffix, add, modify, delete and query codes, list member, query criteria
// member, criteria record).
#define RSIM_FAMILIES(F)                                                                       \
    F(SResRemoteProvCode, provinceCode, "RMOSMQ01", "RMOSMQ02", "RMOSMQ03", "RMOSMQ04",        \
      listResRemoteProvCode, sResRemoteProvCode, SResRemoteProvCode)                           \
    F(SResRemoteCardType, cardType, "RMOSMQ05", "RMOSMQ06", "RMOSMQ07", "RMOSMQ08",            \
      listResRemoteCardType, sResRemoteCardType, SResRemoteCardType)                           \
    F(SResRemoteVendorCode, vendorCode, "RMOSMQ09", "RMOSMQ10", "RMOSMQ11", "RMOSMQ12",        \
      listResRemoteVendorCode, sResRemoteVendorCode, SResRemoteVendorCode)                     \
    F(SResRemoteMsisdnGroup, msisdnGroup, "RMOSMQ13", "RMOSMQ14", "RMOSMQ15", "RMOSMQ16",      \
      listResRemoteMsisdnGroup, sResRemoteMsisdnGroup, SResRemoteMsisdnGroup)                  \
    F(SResRemoteImsiMsisdnGrp, imsiMsisdnGrp, "RMOSMQ17", "RMOSMQ18", "RMOSMQ19", "RMOSMQ20",  \
      listResRemoteImsiMsisdnGrp, sResRemoteImsiMsisdnGrp, SResRemoteImsiMsisdnGrp)            \
    F(SResRemoteMsisdnGrp, msisdnGrp, "RMOSMQ21", "RMOSMQ22", "RMOSMQ23", "RMOSMQ24",          \
      listResRemoteMsisdnGrp, sResRemoteImsiMsisdnGrp, SResRemoteMsisdnGrp)                    \
    F(SRemoteSimInfo, simInfo, "RMOSMQ25", "RMOSMQ26", "RMOSMQ27", "RMOSMQ28",                 \
      listRemoteSimInfo, sIn, SRemoteSimQryIn)                                                 \
    F(SResRemoteCardVendorDll, cardVendorDll, "RMOSMQ30", "RMOSMQ31", "RMOSMQ32", "RMOSMQ33",  \
      listResRemoteCardVendorDll, sResRemoteCardVendorDll, SResRemoteCardVendorDll)            \
    F(SResRemoteDllErrMsg, cardErrMsg, "RMOSMQ34", "RMOSMQ35", "RMOSMQ36", "RMOSMQ37",         \
      listResRemoteDllErrMsg, sResRemoteDllErrMsg, SResRemoteDllErrMsg)                        \
    F(SResRemoteAucInfo, aucVerifyInfo, "RMOSMQ40", "RMOSMQ41", "RMOSMQ42", "RMOSMQ43",        \
      listResRemoteAucInfo, sResRemoteAucInfo, SResRemoteAucInfo)                              \
    F(SResRemoteSysAuc, aucSysInfo, "RMOSMQ44", "RMOSMQ45", "RMOSMQ46", "RMOSMQ47",            \
      listResRemoteSysAuc, sResRemoteSysAuc, SResRemoteSysAuc)

// Query-only operations: (operation, code, criteria record, criteria member, list record,
// list member).
#define RSIM_INQUIRIES(Q)                                                                      \
    Q(qry_psNetNumber, "RMOSMQ49", SQryPsNetNumberIn, sIn, SPsNetNumber, listPsNetNumber)      \
    Q(qry_psNetImsiList, "RMOSMQ50", SQryPsNetImsiIn, sIn, SPsNetImsi, listPsNetImsi)          \
    Q(qry_remoteSimLog, "RMOSMQ52", SQryRemoteSimLogIn, sIn, SRemoteSimLog, listRemoteSimLog)

namespace MResRemoteMgntApp {

#define RSIM_DECLARE_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName,        \
                             critName, CritT)                                                  \
    TVD_WRITE_OPERATION(add_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)\
    TVD_WRITE_OPERATION(mod_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)\
    TVD_WRITE_OPERATION(del_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)\
    TVD_QUERY_OPERATION(qry_##suffix, MResRemoteMgntDef::CritT, critName,                      \
                        MResRemoteMgntDef::Rec##List, listName)
#define RSIM_DECLARE_INQUIRY_(op, code, CritT, critName, Rec, listName)                        \
    TVD_QUERY_OPERATION(op, MResRemoteMgntDef::CritT, critName, MResRemoteMgntDef::Rec##List,  \
                        listName)

class IResRemoteMgnt : public CTvdClientObject {
public:
    static constexpr const char* kTypeName = "MResRemoteMgntApp::IResRemoteMgnt";
    static constexpr const char* kInterfaceName = "MResRemoteMgntApp_IResRemoteMgnt";

    int interfaceRevision() const override { return -9979; }

    RSIM_FAMILIES(RSIM_DECLARE_FAMILY_)
    RSIM_INQUIRIES(RSIM_DECLARE_INQUIRY_)
};

} // namespace MResRemoteMgntApp
