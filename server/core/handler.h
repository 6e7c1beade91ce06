// How the service's operations plug into its dispatcher.
//
// The dispatcher decodes a call into the registered parameter types of its operation, checks the
// session and, for writes, the operator's entity right, runs the handler inside one database
// transaction, and on success records the audit entries the handler named before committing.
// A handler never commits or rolls back itself: returning non-zero (with the error record
// filled) or throwing rolls the whole call back.
#pragma once

#include "tvd_object.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // Keys of the records a write touched ("PROVINCE_CODE=11"), for the audit table. Never put
    // secrets (KI values, KI keys, passwords) here.
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

// Defined here in full so that the libraries registering handlers need nothing else of the core.
class HandlerTable {
public:
    // Registering an operation twice is a programming error (std::logic_error).
    void add(const std::string& interfaceName, const std::string& code, HandlerEntry entry)
    {
        if (!entries_.emplace(keyOf(interfaceName, code), std::move(entry)).second)
            throw std::logic_error("operation registered twice: " + keyOf(interfaceName, code));
        if (!hasInterface(interfaceName))
            interfaces_.push_back(interfaceName);
    }
    const HandlerEntry* find(std::string_view interfaceName, std::string_view code) const
    {
        const auto found = entries_.find(keyOf(interfaceName, code));
        return found == entries_.end() ? nullptr : &found->second;
    }
    bool hasInterface(std::string_view interfaceName) const
    {
        return std::find(interfaces_.begin(), interfaces_.end(), interfaceName) != interfaces_.end();
    }

private:
    static std::string keyOf(std::string_view interfaceName, std::string_view code)
    {
        return std::string(interfaceName).append("/").append(code);
    }

    std::unordered_map<std::string, HandlerEntry> entries_; // "interface/code"
    std::vector<std::string> interfaces_;
};

// Business refusals carry code 1 with these minor codes; the message says what is wrong and the
// hint names the offending record ("第3条记录 IMSI=460001234567890").
enum RefusalCode : std::int32_t {
    kRefusedInvalid = 1,     // malformed or out-of-format value
    kRefusedDuplicate = 2,   // key already stored or repeated in the batch
    kRefusedNotFound = 3,    // modify/delete of a key that is not stored (or matches several)
    kRefusedReference = 4,   // unknown referenced record, or delete of a referenced one
    kRefusedOverlap = 5,     // range overlaps a stored range of the same kind
    kRefusedRight = 6,       // the operator lacks the entity right
    kRefusedSession = 7,     // missing or expired session
    kRefusedLogin = 8,       // wrong login name or password, or a locked operator
    kRefusedBusy = 9,        // the database stayed busy; the call changed nothing, retry later
    kFailedInternal = 10,    // the service failed (database unreachable, internal fault)
};

} // namespace rsim
