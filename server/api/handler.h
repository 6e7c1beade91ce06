// How the service's operations plug into its dispatcher.
//
// The dispatcher checks the session, decodes a call into the registered parameter types of its
// operation and runs its handler. A query's handler gets the whole decoded in-object. A write,
// after the check of the operator's entity right, opens a writer that is given the records of
// its list a chunk at a time as they are read, all inside one database transaction; the audit
// entries each chunk names are recorded before the next, and the transaction commits once the
// last chunk is written. Neither commits or rolls back itself: returning non-zero (with the
// error record filled) or throwing rolls the whole call back.
#pragma once

#include "tvd_object.h"

#include <cstdint>
#include <functional>
#include <memory>
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
    // read a table's secrets. The entry's askedEntity is answered as read with the session.
    std::function<bool(std::int32_t entity)> holdsModifyRight;
    // Keys of the records a write touched ("PROVINCE_CODE=11"), or whose secrets a query
    // answered, for the audit table. Never put secrets (KI values, KI keys, passwords) here.
    std::vector<std::string> auditKeys;
    // The answer's text, ready for one more record of a list of the query's out-object: the
    // query appends the record there, as the object encode() makes of it, and the list holds
    // none. An answer of many rows is so written as they are read, and held as text only.
    std::function<std::string&(const CTvdBasicListObject& list)> answerRecord{};
};

// Fills the out-object (or the error record) and returns 0 on success, non-zero on a refusal.
using Handler = std::function<int(CallContext& context, CTvdBasicParamObject& in,
                                  CTvdBasicParamObject& out, CBSErrorMsg& error)>;

// One write call: write is given the records of the call's list in order, a chunk at a time, and
// returns 0, or non-zero with the error record filled, which ends the call. A batch of 200,000
// cards is thus never held whole.
class RecordWriter {
public:
    virtual ~RecordWriter() = default;
    virtual int write(const CTvdBasicListObject& records, CBSErrorMsg& error) = 0;
};
using WriterFactory = std::function<std::unique_ptr<RecordWriter>(CallContext& context)>;

// A query (handler) or a write (writer): exactly one of the two is set. requiredEntity: the entity
// right (privilege 10) the call needs, checked before its body is read; askedEntity: one the
// handler may ask about (holdsModifyRight), read with the session; 0: none.
struct HandlerEntry {
    static HandlerEntry query(Handler handler, std::int32_t requiredEntity = 0,
                              std::int32_t askedEntity = 0)
    {
        return {std::move(handler), nullptr, requiredEntity, askedEntity};
    }
    static HandlerEntry write(WriterFactory writer, std::int32_t requiredEntity)
    {
        return {nullptr, std::move(writer), requiredEntity, 0};
    }
    bool writes() const { return static_cast<bool>(writer); }

    Handler handler;
    WriterFactory writer;
    std::int32_t requiredEntity;
    std::int32_t askedEntity;
};

class HandlerTable {
public:
    struct Registered {
        std::string interfaceName;
        std::string code;
        HandlerEntry entry;
    };
    void add(const std::string& interfaceName, const std::string& code, HandlerEntry entry);
    const HandlerEntry* find(std::string_view interfaceName, std::string_view code) const;
    const std::vector<Registered>& all() const { return entries_; }

private:
    std::vector<Registered> entries_;
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
