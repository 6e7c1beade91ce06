#pragma once

#include "driver.h"

namespace rsim::db {

// libpqxx; large batches go through COPY. Each round trip longer than roundTripLimit (0: no
// limit) is abandoned: its socket is shut down and the driver is lost().
std::unique_ptr<Driver> openPostgres(const std::string& address,
                                     std::chrono::milliseconds roundTripLimit);

// The address with what it does not set of: connect_timeout, so that a host that does not
// answer is given up; keepalives and tcp_user_timeout, so that a connection to a host gone
// without a reset is found dead by the kernel, even while no round trip watches it.
std::string withTimeouts(const std::string& address, std::chrono::milliseconds roundTripLimit);

} // namespace rsim::db
