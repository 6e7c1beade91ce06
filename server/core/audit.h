// The audit trail of writes: one row in sys_audit per record key a write touched (one row with
// an empty key when it named none), in the write's own transaction.
#pragma once

#include "driver.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rsim::audit {

struct Entry {
    std::int32_t opId;
    std::string interfaceName;
    std::string code;      // operation code, e.g. "RMOSMQ01"
    std::string operation; // operation name, e.g. "add_provinceCode"
    const std::vector<std::string>& keys;
};

void record(db::Driver& db, const Entry& entry);

// Local time of the server, "YYYY-MM-DD HH:MM:SS": what AUDIT_TIME holds.
std::string localNow();

} // namespace rsim::audit
