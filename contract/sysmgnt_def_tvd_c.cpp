#include "sysmgnt_def_tvd_c.h"

#define SYSMGNT_DEFINE_(Name)                                                                      \
    TVD_RECORD_DEFINE(MSysmgntDef, Name, Name##_MEMBERS)                                           \
    TVD_LIST_DEFINE(MSysmgntDef, Name)

SYSMGNT_RECORDS(SYSMGNT_DEFINE_)
