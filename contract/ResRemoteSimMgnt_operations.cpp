// The parameter types and operations of the remote-SIM management interface.
#include "ResRemoteSimMgnt_operations.h"

namespace MResRemoteMgntApp {

#define RSIM_FAMILY_TYPES_(...) RSIM_DEFINE_FAMILY_(TYPES, IResRemoteMgntOperations, __VA_ARGS__)
#define RSIM_INQUIRY_TYPES_(...) RSIM_DEFINE_INQUIRY_(TYPES, IResRemoteMgntOperations, __VA_ARGS__)
RSIM_FAMILIES(RSIM_FAMILY_TYPES_)
RSIM_INQUIRIES(RSIM_INQUIRY_TYPES_)

} // namespace MResRemoteMgntApp
