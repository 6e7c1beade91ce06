// Logging the operator in at the service, shared by the login dialog and unattended runs.
#pragma once

#include "sysmgnt_def_tvd_c.h"

#include <QString>

// The address as the middleware expects it: "host:port" gains "http://", a trailing "/" goes;
// several addresses, separated by commas, each so.
QString NormalisedServiceAddress(const QString& typed);

// A warning when the service is reached by plain http:// on another host, where passwords,
// sessions and KI values cross the network readable by anyone on the way; empty otherwise.
QString PlainHttpWarning(const QString& service);

// Checks that the service answers within a few seconds (one of its addresses, when it has
// several), then logs in there and makes it the service of every later call of this process (the
// module's windows included). Empty on
// success, otherwise the reason to show the operator.
QString LogInAtService(const QString& service, const QString& login, const QString& password,
                       MSysmgntDef::SOperator& op);

// Ends the session of this process at the service, if it has one; empty on success, otherwise
// why the service could not be told (the session then ends with its lifetime).
QString LogOutOfService();
