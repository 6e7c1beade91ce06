// The client proxies of the system-management and account services.
#include "SysMgntService_tvd_c.h"

namespace MSysSvcApp {

SYSSVC_DEFINE_EXCHANGE_(PROXY, ISysMgnt)
#define SYSSVC_QUERY_PROXY_(...) SYSSVC_DEFINE_QUERY_(PROXY, ISysMgnt, __VA_ARGS__)
SYSSVC_QUERIES(SYSSVC_QUERY_PROXY_)
#define SYSSVC_WRITE_PROXY_(...) SYSSVC_DEFINE_WRITE_(PROXY, ISysMgnt, __VA_ARGS__)
SYSSVC_WRITES(SYSSVC_WRITE_PROXY_)
SYSSVC_DEFINE_PARAM_WRITE_(PROXY, ISysMgnt)

} // namespace MSysSvcApp
