#include "ResRemoteSimMgnt_tvd_c.h"

namespace MResRemoteMgntApp {

#define RSIM_DEFINE_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName,         \
                            critName, CritT)                                                   \
    TVD_WRITE_OPERATION_DEFINE(IResRemoteMgnt, add_##suffix, addCode, SOpInfo, sOpInfo,        \
                               MResRemoteMgntDef::Rec##List, listName)                         \
    TVD_WRITE_OPERATION_DEFINE(IResRemoteMgnt, mod_##suffix, modCode, SOpInfo, sOpInfo,        \
                               MResRemoteMgntDef::Rec##List, listName)                         \
    TVD_WRITE_OPERATION_DEFINE(IResRemoteMgnt, del_##suffix, delCode, SOpInfo, sOpInfo,        \
                               MResRemoteMgntDef::Rec##List, listName)                         \
    TVD_QUERY_OPERATION_DEFINE(IResRemoteMgnt, qry_##suffix, qryCode, MResRemoteMgntDef::CritT,\
                               critName, MResRemoteMgntDef::Rec##List, listName)
#define RSIM_DEFINE_INQUIRY_(op, code, CritT, critName, Rec, listName)                         \
    TVD_QUERY_OPERATION_DEFINE(IResRemoteMgnt, op, code, MResRemoteMgntDef::CritT, critName,   \
                               MResRemoteMgntDef::Rec##List, listName)

RSIM_FAMILIES(RSIM_DEFINE_FAMILY_)
RSIM_INQUIRIES(RSIM_DEFINE_INQUIRY_)

} // namespace MResRemoteMgntApp
