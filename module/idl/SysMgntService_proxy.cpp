// The client proxies of the system-management and account services.
#include "SysMgntService_tvd_c.h"
#include "tvd_proxy.h"

namespace MSysSvcApp {

TVD_EXCHANGE_OPERATION_PROXY(ISysMgnt, chk_operRight, "SYSMQ01", MSysmgntDef::SOperatorBrief, sIn,
                             MSysmgntDef::SOperPrivAuthList, listAsked,
                             MSysmgntDef::SOperPrivAuthList, listGranted)
#define SYSSVC_QUERY_PROXY_(op, code, InT, inName, OutT, outName)                              \
    TVD_QUERY_OPERATION_PROXY(ISysMgnt, op, code, InT, inName, OutT, outName)
SYSSVC_QUERIES(SYSSVC_QUERY_PROXY_)

} // namespace MSysSvcApp
