// The client of the remote-SIM management interface: one call per operation.
#pragma once

#include "ResRemoteSimMgnt_operations.h"
#include "tvd_proxy.h"

namespace MResRemoteMgntApp {

#define RSIM_DECLARE_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName,  \
                             CritT)                                                                \
    TVD_WRITE_OPERATION(add_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)    \
    TVD_WRITE_OPERATION(mod_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)    \
    TVD_WRITE_OPERATION(del_##suffix, SOpInfo, sOpInfo, MResRemoteMgntDef::Rec##List, listName)    \
    TVD_QUERY_OPERATION(qry_##suffix, MResRemoteMgntDef::CritT, critName,                          \
                        MResRemoteMgntDef::Rec##List, listName)
#define RSIM_DECLARE_INQUIRY_(op, code, CritT, critName, Rec, listName)                            \
    TVD_QUERY_OPERATION(op, MResRemoteMgntDef::CritT, critName, MResRemoteMgntDef::Rec##List,      \
                        listName)

class IResRemoteMgnt : public CTvdClientObject, public IResRemoteMgntOperations {
public:
    int interfaceRevision() const override { return -9979; }

    RSIM_FAMILIES(RSIM_DECLARE_FAMILY_)
    RSIM_INQUIRIES(RSIM_DECLARE_INQUIRY_)
};

} // namespace MResRemoteMgntApp
