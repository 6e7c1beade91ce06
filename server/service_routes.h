// The service's routes: ping, login and logout, and a call and a check of each operation, each
// admitted by its session and right before its body is read, and counted and logged once
// answered.
#pragma once

#include "routes.h"
#include "service.h"

#include <cstddef>

namespace rsimd {

// The body a query (its criteria) or a check of rights may send; writes may send maxBody.
constexpr std::size_t kQueryBody = 1024 * 1024;

// maxBody: the body a write may send.
rsim::http::Routes serviceRoutes(rsim::Service& service, std::size_t maxBody);

} // namespace rsimd
