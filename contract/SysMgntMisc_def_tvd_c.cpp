#include "SysMgntMisc_def_tvd_c.h"

TVD_RECORD_DEFINE(MSysmgntDef, SPublicParam, SPublicParam_MEMBERS)
TVD_LIST_DEFINE(MSysmgntDef, SPublicParam)
