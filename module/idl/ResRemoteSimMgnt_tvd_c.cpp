// The parameter types and operations of the remote-SIM management interface.
#include "ResRemoteSimMgnt_tvd_c.h"

namespace MResRemoteMgntApp {

#define RSIM_FAMILY_TYPES_(Rec, suffix, addCode, modCode, delCode, qryCode, listName,          \
                           critName, CritT)                                                    \
    TVD_WRITE_OPERATION_TYPES(IResRemoteMgnt, add_##suffix, addCode, SOpInfo, sOpInfo,         \
                              MResRemoteMgntDef::Rec##List, listName)                          \
    TVD_WRITE_OPERATION_TYPES(IResRemoteMgnt, mod_##suffix, modCode, SOpInfo, sOpInfo,         \
                              MResRemoteMgntDef::Rec##List, listName)                          \
    TVD_WRITE_OPERATION_TYPES(IResRemoteMgnt, del_##suffix, delCode, SOpInfo, sOpInfo,         \
                              MResRemoteMgntDef::Rec##List, listName)                          \
    TVD_QUERY_OPERATION_TYPES(IResRemoteMgnt, qry_##suffix, qryCode, MResRemoteMgntDef::CritT, \
                              critName, MResRemoteMgntDef::Rec##List, listName)
#define RSIM_INQUIRY_TYPES_(op, code, CritT, critName, Rec, listName)                          \
    TVD_QUERY_OPERATION_TYPES(IResRemoteMgnt, op, code, MResRemoteMgntDef::CritT, critName,    \
                              MResRemoteMgntDef::Rec##List, listName)

RSIM_FAMILIES(RSIM_FAMILY_TYPES_)
RSIM_INQUIRIES(RSIM_INQUIRY_TYPES_)

} // namespace MResRemoteMgntApp
