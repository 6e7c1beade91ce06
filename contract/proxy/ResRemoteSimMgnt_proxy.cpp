// The client proxies of the remote-SIM management interface.
#include "ResRemoteSimMgnt_tvd_c.h"

namespace MResRemoteMgntApp {

#define RSIM_FAMILY_PROXIES_(...) RSIM_DEFINE_FAMILY_(PROXY, IResRemoteMgnt, __VA_ARGS__)
#define RSIM_INQUIRY_PROXY_(...) RSIM_DEFINE_INQUIRY_(PROXY, IResRemoteMgnt, __VA_ARGS__)
RSIM_FAMILIES(RSIM_FAMILY_PROXIES_)
RSIM_INQUIRIES(RSIM_INQUIRY_PROXY_)

} // namespace MResRemoteMgntApp
