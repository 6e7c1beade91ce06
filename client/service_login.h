// Logging the operator in at the service, shared by the login dialog and unattended runs.
#pragma once

#include "sysmgnt_def_tvd_c.h"

#include <QString>

// The address as the middleware expects it: "host:port" gains "http://", a trailing "/" goes.
QString NormalisedServiceAddress(const QString& typed);

// Checks that the service answers within a few seconds, then logs in there and makes it the
// service of every later call of this process (the module's windows included). Empty on
// success, otherwise the reason to show the operator.
QString LogInAtService(const QString& service, const QString& login, const QString& password,
                       MSysmgntDef::SOperator& op);
