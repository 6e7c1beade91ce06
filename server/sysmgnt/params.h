// System parameters. A parameter marked secret (PARAM_SECRET 1: the FTP address of the vendor
// libraries carries a password) is sealed at rest, and its value is answered only to holders of
// the vendor libraries' modify right, each answer audited; others get the row without its value.
// A secret value an administrator wrote in plain into the table is answered as written and
// sealed by the first query that reads it. Holders of the same right set values over the wire.
#pragma once

#include "handler.h"

namespace rsim::sysmgnt {

// The query of parameters; its handler asks for the right that reveals secret values.
HandlerEntry sysParamQuery();
// The write of parameter values (each parameter must exist), audited by parameter.
HandlerEntry sysParamWrite();

} // namespace rsim::sysmgnt
