// The remote-SIM management interface as both ends of the wire know it: its operations and their
// parameter types.
#pragma once

#include "ResRemoteSimMgnt_def_tvd_c.h"

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
