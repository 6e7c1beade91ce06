// The client proxies of the remote-SIM management interface.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "tvd_proxy.h"

namespace MResRemoteMgntApp {

#define RSIM_FAMILY_PROXIES_(Rec, suffix, addCode, modCode, delCode, qryCode, listName,        \
                             critName, CritT)                                                  \
    TVD_WRITE_OPERATION_PROXY(IResRemoteMgnt, add_##suffix, addCode, SOpInfo, sOpInfo,         \
                              MResRemoteMgntDef::Rec##List, listName)                          \
    TVD_WRITE_OPERATION_PROXY(IResRemoteMgnt, mod_##suffix, modCode, SOpInfo, sOpInfo,         \
                              MResRemoteMgntDef::Rec##List, listName)                          \
    TVD_WRITE_OPERATION_PROXY(IResRemoteMgnt, del_##suffix, delCode, SOpInfo, sOpInfo,         \
                              MResRemoteMgntDef::Rec##List, listName)                          \
    TVD_QUERY_OPERATION_PROXY(IResRemoteMgnt, qry_##suffix, qryCode, MResRemoteMgntDef::CritT, \
                              critName, MResRemoteMgntDef::Rec##List, listName)
#define RSIM_INQUIRY_PROXY_(op, code, CritT, critName, Rec, listName)                          \
    TVD_QUERY_OPERATION_PROXY(IResRemoteMgnt, op, code, MResRemoteMgntDef::CritT, critName,    \
                              MResRemoteMgntDef::Rec##List, listName)

RSIM_FAMILIES(RSIM_FAMILY_PROXIES_)
RSIM_INQUIRIES(RSIM_INQUIRY_PROXY_)

} // namespace MResRemoteMgntApp
