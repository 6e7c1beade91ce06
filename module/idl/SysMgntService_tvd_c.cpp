#include "SysMgntService_tvd_c.h"

TVD_RECORD_DEFINE(MSysSvcDef, SCodeCategory, SCodeCategory_MEMBERS)
TVD_RECORD_DEFINE(MSysSvcDef, SCodeName, SCodeName_MEMBERS)
TVD_LIST_DEFINE(MSysSvcDef, SCodeName)
TVD_RECORD_DEFINE(MSysSvcDef, SServerDate, SServerDate_MEMBERS)
TVD_LIST_DEFINE(MSysSvcDef, SServerDate)

std::vector<int> MSysSvcDef::RightsEntities()
{
    std::vector<int> ids;
    for (const auto& [first, last] : {std::pair{55001, 55005}, {53701, 53727}, {53731, 53736}})
        for (int id = first; id <= last; ++id)
            ids.push_back(id);
    return ids;
}

namespace MSysSvcApp {

TVD_EXCHANGE_OPERATION_TYPES(ISysMgnt, chk_operRight, "SYSMQ01", MSysmgntDef::SOperatorBrief, sIn,
                             MSysmgntDef::SOperPrivAuthList, listAsked,
                             MSysmgntDef::SOperPrivAuthList, listGranted)
#define SYSSVC_QUERY_TYPES_(op, code, InT, inName, OutT, outName)                              \
    TVD_QUERY_OPERATION_TYPES(ISysMgnt, op, code, InT, inName, OutT, outName)
SYSSVC_QUERIES(SYSSVC_QUERY_TYPES_)

} // namespace MSysSvcApp
