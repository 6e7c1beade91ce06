// Logging the operator in at the service, shared by the desktop client and rsimctl. Texts are
// UTF-8.
#pragma once

#include "tvd_object.h"

#include <string>

// The address as the middleware expects it: "host:port" gains "http://", a trailing "/" goes;
// several addresses, separated by commas, each so.
std::string NormalisedServiceAddress(const std::string& typed);

// A warning when the service is reached by plain http:// on another host, where passwords,
// sessions and KI values cross the network readable by anyone on the way; empty otherwise.
std::string PlainHttpWarning(const std::string& service);

// Checks that the service answers within a few seconds (one of its addresses, when it has
// several), then logs in there and makes it the service of every later call of this process (the
// module's windows included), filling the operator record. Empty on success, otherwise the
// reason to show the operator.
std::string LogInAtService(const std::string& service, const std::string& login,
                           const std::string& password, CTvdBasicStructObject& op);

// Ends the session of this process at the service, if it has one; empty on success, otherwise
// why the service could not be told (the session then ends with its lifetime).
std::string LogOutOfService();
