// How the service's operations plug into its dispatcher.
//
// The dispatcher decodes a call into the registered parameter types of its operation, checks the
// session and, for writes, the operator's entity right, runs the handler inside one database
// transaction, and on success records the audit entries the handler named before committing.
// A handler never commits or rolls back itself: returning non-zero (with the error record
// filled) or throwing rolls the whole call back.
#pragma once

#include "tvd_object.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rsim::db {
class Driver;
}
namespace rsim::secrets {
class SecretBox;
}

namespace rsim {

struct CallContext {
    db::Driver& db;
    const secrets::SecretBox& secrets;
    std::int32_t opId;  // operator of the session
    std::int32_t orgId; // the operator's organisation
    // Rows one query answers at most, whatever MAX_NUM asks.
    std::int64_t maxRows;
    // Whether the operator holds the modify right (privilege 10) of an entity: the right to
    // read a table's secrets.
    std::function<bool(std::int32_t entity)> holdsModifyRight;
    // Keys of the records a write touched ("PROVINCE_CODE=11"), or whose secrets a query
    // answered, for the audit table. Never put secrets (KI values, KI keys, passwords) here.
    std::vector<std::string> auditKeys;
};

// Fills the out-object (or the error record) and returns 0 on success, non-zero on a refusal.
using Handler = std::function<int(CallContext& context, CTvdBasicParamObject& in,
                                  CTvdBasicParamObject& out, CBSErrorMsg& error)>;

struct HandlerEntry {
    Handler handler;
    std::int32_t requiredEntity; // entity right a write needs (privilege 10); 0: none
    bool writes;                 // true: runs in a transaction and is audited
};

class HandlerTable {
public:
    void add(const std::string& interfaceName, const std::string& code, HandlerEntry entry);
    const HandlerEntry* find(std::string_view interfaceName, std::string_view code) const;

private:
    std::vector<std::pair<std::string, HandlerEntry>> entries_;
};

// Business refusals carry code 1 with these minor codes; the message says what is wrong and the
// hint names the offending record ("第3条记录 IMSI=460001234567890").
enum RefusalCode : std::int32_t {
    kRefusedInvalid = 1,   // malformed or out-of-format value
    kRefusedDuplicate = 2, // key already stored or repeated in the batch
    kRefusedNotFound = 3,  // modify/delete of a key that is not stored (or matches several)
    kRefusedReference = 4, // unknown referenced record, or delete of a referenced one
    kRefusedOverlap = 5,   // range overlaps a stored range of the same kind
    kRefusedRight = 6,     // the operator lacks the entity right
    kRefusedSession = 7,   // missing or expired session
    kRefusedLogin = 8,     // wrong login name or password
};

} // namespace rsim
