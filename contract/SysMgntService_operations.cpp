#include "SysMgntService_operations.h"

TVD_RECORD_DEFINE(MSysSvcDef, SCodeCategory, SCodeCategory_MEMBERS)
TVD_RECORD_DEFINE(MSysSvcDef, SCodeName, SCodeName_MEMBERS)
TVD_LIST_DEFINE(MSysSvcDef, SCodeName)
TVD_RECORD_DEFINE(MSysSvcDef, SServerDate, SServerDate_MEMBERS)
TVD_LIST_DEFINE(MSysSvcDef, SServerDate)
TVD_RECORD_DEFINE(MSysSvcDef, SOperatorAccount, SOperatorAccount_MEMBERS)
TVD_LIST_DEFINE(MSysSvcDef, SOperatorAccount)

namespace MSysSvcApp {

SYSSVC_DEFINE_EXCHANGE_(TYPES, ISysMgntOperations)
#define SYSSVC_QUERY_TYPES_(...) SYSSVC_DEFINE_QUERY_(TYPES, ISysMgntOperations, __VA_ARGS__)
SYSSVC_QUERIES(SYSSVC_QUERY_TYPES_)
#define SYSSVC_WRITE_TYPES_(...) SYSSVC_DEFINE_WRITE_(TYPES, ISysMgntOperations, __VA_ARGS__)
SYSSVC_WRITES(SYSSVC_WRITE_TYPES_)
SYSSVC_DEFINE_PARAM_WRITE_(TYPES, ISysMgntOperations)

} // namespace MSysSvcApp
