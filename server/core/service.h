// The service behind the HTTP routes: login and sessions, and the dispatch of every call to its
// handler with the session, rights, transaction and audit around it. Answers are JSON bodies
// with the HTTP status they go with; nothing here throws.
#pragma once

#include "driver_pool.h"
#include "handler.h"
#include "secrets.h"

#include <nlohmann/json.hpp>

#include <functional>

struct TvdOperation;

namespace rsim {

struct Answer {
    int status;
    nlohmann::json body;
};

class Service {
public:
    Service(DriverPool& pool, const secrets::SecretBox& secrets, HandlerTable handlers);

    // Body {"login", "password"} → {"result": 0, "session", "operator"} or a refusal.
    Answer login(const std::string& body);
    Answer logout(const std::string& session);
    // Body {"in": {…}} of the operation's in-type → {"result", "out", "error"}.
    Answer call(const std::string& interfaceName, const std::string& code, const std::string& body,
                const std::string& session);

    // Privilege an operator needs on an operation's entity to write.
    static constexpr std::int32_t kWritePrivilege = 10;

private:
    // Runs work on a leased connection; any exception becomes the answer that explains it.
    Answer withDriver(const std::string& what, const std::function<Answer(db::Driver&)>& work);
    Answer dispatch(db::Driver& db, const TvdOperation& operation, const HandlerEntry& entry,
                    CTvdBasicParamObject& in, CTvdBasicParamObject& out, CBSErrorMsg& error,
                    const std::string& session);

    DriverPool& pool_;
    const secrets::SecretBox& secrets_;
    const HandlerTable handlers_;
};

// {"result": code, "error": {code, minor, message, hint}}: how refusals and faults are answered.
nlohmann::json refusal(int code, int minor, const std::string& message, const std::string& hint);

} // namespace rsim
