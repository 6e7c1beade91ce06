#include "AccAuxMgnt_def_tvd_c.h"

#define ACCAUX_DEFINE_(Name)                                                                       \
    TVD_RECORD_DEFINE(MAccAuxMgntDef, Name, Name##_MEMBERS)                                        \
    TVD_LIST_DEFINE(MAccAuxMgntDef, Name)

ACCAUX_RECORDS(ACCAUX_DEFINE_)
