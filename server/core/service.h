// The service behind the HTTP routes: login and sessions, and the dispatch of every call to its
// handler with the session, rights, transaction and audit around it.
#pragma once

#include "access_audit.h"
#include "answer.h"
#include "driver.h"
#include "driver_pool.h"
#include "handler.h"
#include "request_json.h"
#include "secrets.h"
#include "sessions.h"
#include "tvd_json.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>

struct TvdOperation;

namespace rsim {

namespace sysmgnt {
class PasswordCheckPool;
}

// A request's body, opened from its first byte as often as the call reads it: its limits are
// checked in one pass, its records decoded in another, and a write that lost a race for a unique
// value reads it again.
using BodySource = std::function<std::unique_ptr<std::streambuf>()>;

struct PendingLogin; // a login waiting for its password check

// Who sends a call: the operator its session was admitted for, and from the request's header.
struct Caller {
    SessionOwner owner;
    std::string requestId; // the client's id of the request, empty when it sent none
    std::string source;    // the client's address (behind a trusted proxy, the one it forwards)
    // The digest of the operation and the body (requestlog::digestPrefix) that a write's
    // request id is kept with; a write with a request id must have it.
    std::string requestDigest{};
};

// The answer to a request the service cannot take (HTTP status with the error record).
Answer protocolError(int status, const std::string& message, const std::string& hint);
// A refusal of the service's business (result 1 with the minor code), answered with the status.
Answer refused(RefusalCode minor, const std::string& message, const std::string& hint,
               int status = 200);

// The admission of a call before its body is read: its refusal, or its session's operator.
struct Admitted {
    std::optional<Answer> refusal;
    SessionOwner owner;
};

class Service {
public:
    // maxRows: rows one query answers at most (MAX_NUM of -1, 0 or 2^31-1 included);
    // accessAuditRetention: how long the access audit's rows are kept.
    Service(DriverPool& pool, const secrets::SecretBox& secrets,
            std::int64_t maxRows = kDefaultMaxRows, SessionPolicy sessions = {},
            std::chrono::days accessAuditRetention = kDefaultAccessAuditRetention);
    // Writes the access audit's rows of logins told to wait that are still being summed up.
    ~Service();

    // Has a login answered, once: at once when it is refused before its password is checked,
    // else from the thread of the password check, so that the caller's thread never waits while
    // a check waits or runs. source: the address the login comes from, whose failures are
    // counted apart from others'.
    using Answered = std::function<void(Answer)>;
    void login(const std::string& body, const std::string& source, Answered answered);
    Answer logout(const std::string& session, const std::string& source);
    // CheckOnly runs a write with all its checks and rolls it back: the answer says whether it
    // would be stored, and nothing is written or audited.
    enum class Mode { Store, CheckOnly };
    // Whether a call may send its body: the operation exists, the session is live and its
    // operator holds the operation's right.
    Admitted admit(const std::string& interfaceName, const std::string& code,
                   const std::string& session);
    // The operations it answers: an interface, a code, and whether the call writes.
    struct Operation {
        std::string interfaceName;
        std::string code;
        bool writes = false;
    };
    std::vector<Operation> operations() const;
    // A call admitted for the caller's operator.
    Answer call(const std::string& interfaceName, const std::string& code, const BodySource& body,
                const Caller& caller, Mode mode = Mode::Store);

    static constexpr std::int64_t kDefaultMaxRows = 200000;
    static constexpr std::chrono::days kDefaultAccessAuditRetention{400};
    // Seconds a client is asked to wait before it retries a call the database could not take.
    static constexpr int kRetryAfterSeconds = 2;

    // Whether the last write refused for a full storage came after the last write stored.
    bool storageFull() const { return storageFull_; }

private:
    // The answer of a call that failed with an exception, logged with what failed: 503 with
    // Retry-After while the database cannot be reached, lost the call or takes no writes (a
    // retry may reach its primary); 507 when its storage is full; a refusal when it stayed
    // busy; 500 otherwise.
    Answer failed(const std::string& what, const std::exception& e);

    // The parts of a login, whose failures of the database throw: its refusal before its
    // password is checked, or nothing with what its check needs in login; then its answer once
    // its password is checked.
    std::optional<Answer> startLogin(const std::string& body, PendingLogin& login);
    Answer finishLogin(const PendingLogin& login, bool verified);
    // Attempts of a write that loses races for unique values.
    static constexpr int kUniqueAttempts = 3;
    // Records of a write read, checked and stored at a time: about 4 MB of records.
    static constexpr std::size_t kWriteChunk = 5000;

    struct Call {
        const std::string& interfaceName;
        const std::string& code;
        const TvdOperation& operation;
        const HandlerEntry& entry;
        const BodySource& body;
        const Caller& caller;
        Mode mode;
    };
    // One run of a call on a connection of its own, which it gives back before it throws. A
    // write runs in one transaction that commits in Store mode once every chunk is written,
    // with its answer kept by its request id when the client gave one.
    Answer run(const Call& call);
    // A request's typed fault, or the handler's result.
    struct Outcome {
        std::optional<RequestFault> fault;
        int result = 0;
        std::int64_t rows = 0; // records written
    };
    // The answer of an outcome: its fault, its refusal, or the out-object written after the
    // records the handler handed over.
    static Answer answer(const Outcome& outcome, const CBSErrorMsg& error,
                         tvd::wire::ParamsWriter& answerWriter, std::string& text);
    // Each chunk of a write's records is checked, written and audited as it is read, in the
    // caller's transaction, so the call holds its body and one chunk, never all its records.
    Outcome write(const Call& call, CallContext& context, CTvdBasicParamObject& in,
                  CBSErrorMsg& error);
    // A query's records are written to the answer as its handler reads them.
    Outcome query(const Call& call, CallContext& context, CTvdBasicParamObject& in,
                  tvd::wire::OwnedParams& out);
    // Records the audit keys the context holds, and lets them go.
    void recordAudit(const Call& call, CallContext& context);
    // Deletes expired sessions, decayed login failures, old request ids and access audit rows past
    // their retention, and writes the sums of logins told to wait; at most once a minute.
    void purgeExpired(db::Driver& db, std::time_t now);

    DriverPool& pool_;
    const secrets::SecretBox& secrets_;
    const std::int64_t maxRows_;
    HandlerTable handlers_;
    Sessions sessions_;
    AccessAudit audit_;
    std::atomic<std::time_t> lastPurge_{0};
    // Password checks, on threads of their own, as many waiting as half the workers (one for
    // each database connection); a login holds no worker while its check waits or runs.
    static std::shared_ptr<sysmgnt::PasswordCheckPool> passwordCheckPool(std::size_t workers);
    const std::shared_ptr<sysmgnt::PasswordCheckPool> passwordChecks_ =
        passwordCheckPool(pool_.size());
    std::atomic<bool> storageFull_{false};
};

} // namespace rsim
