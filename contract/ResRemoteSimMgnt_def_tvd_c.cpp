#include "ResRemoteSimMgnt_def_tvd_c.h"

TVD_RECORD_DEFINE(MResRemoteMgntApp, SOpInfo, SOpInfo_MEMBERS)

#define RSIM_DEFINE_LISTED_(Name, ...)                                                             \
    TVD_RECORD_DEFINE(MResRemoteMgntDef, Name, Name##_MEMBERS)                                     \
    TVD_LIST_DEFINE(MResRemoteMgntDef, Name)
#define RSIM_DEFINE_INQUIRY_LISTED_(op, code, CritT, critName, Rec, listName)                      \
    RSIM_DEFINE_LISTED_(Rec)
#define RSIM_DEFINE_CRITERIA_(Name) TVD_RECORD_DEFINE(MResRemoteMgntDef, Name, Name##_MEMBERS)

RSIM_FAMILIES(RSIM_DEFINE_LISTED_)
RSIM_INQUIRIES(RSIM_DEFINE_INQUIRY_LISTED_)
RSIM_CRITERIA_RECORDS(RSIM_DEFINE_CRITERIA_)
