// Logging in and out. The password hash runs on a pool of its own while neither a worker nor a
// database connection is held, so that a flood of logins can starve the calls of neither. A login
// that fails for want of the database throws before anything counts it as a failed attempt.
#include "service.h"

#include "accounts.h"
#include "login_guard.h"
#include "login_guard_pool.h"
#include "metrics.h"
#include "request_log.h"
#include "sysmgnt.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <ctime>
#include <iostream>

namespace rsim {
namespace {

constexpr const char* kWrongPassword = "登录名或密码错误";

// An attempt that must wait is told so and for how long: the answer tells nothing of the
// password, which is not checked.
Answer mustWait(std::int64_t seconds, const std::string& name)
{
    Answer answer = refused(
        kRefusedLogin, "登录失败次数过多，请 " + std::to_string(seconds) + " 秒后再试", name, 429);
    answer.retryAfter = seconds;
    return answer;
}

// Every password check the pool takes is under way or waiting: the login may come back at once.
Answer checksBusy()
{
    Answer answer = protocolError(503, "同时登录的请求太多，请稍后再试", "");
    answer.retryAfter = 1;
    return answer;
}

// Guesses at the name from many addresses have passed their limit: from now on its new
// addresses wait.
void nameLimited(const std::string& name)
{
    std::cerr << "rsimd: login name " << name << " failed "
              << sysmgnt::kFreeFailuresPerNameEverywhere + 1
              << " times from all addresses; its new addresses wait" << std::endl;
    metrics::loginNameLimited();
}

struct Attempt {
    const std::string& name;
    const std::string& source;  // the address, as audited
    const std::string& counted; // the key its failures are counted by
    std::time_t now;
};

// Counts a failed attempt against its address, and against its name when an operator has it.
void countFailed(db::Driver& db, const Attempt& attempt, bool knownName)
{
    if (sysmgnt::loginFailed(db, knownName ? attempt.name : "", attempt.counted, attempt.now))
        nameLimited(attempt.name);
}

// The refusal of an attempt without a password check: one that must wait, or of a locked name,
// refused whatever password it comes with so that the answer confirms none.
std::optional<Answer> refuseUnchecked(db::Driver& db, AccessAudit& audit, const Attempt& attempt,
                                      const sysmgnt::OperatorLogin* found)
{
    if (const std::int64_t wait =
            sysmgnt::loginWait(db, attempt.name, attempt.counted, attempt.now)) {
        // Names no operator has are summed up under the source alone, whatever they are.
        audit.throttled(db, found ? attempt.name : "", attempt.source, attempt.now);
        return mustWait(wait, attempt.name);
    }
    if (!found || found->profile.LOCK_STATUS == 0)
        return std::nullopt;
    countFailed(db, attempt, true);
    audit.record(db, {found->profile.OP_ID, attempt.name, attempt.source, "login refused", "", ""});
    return refused(kRefusedLogin, "操作员已被锁定，不能登录", attempt.name);
}

} // namespace

std::shared_ptr<sysmgnt::PasswordCheckPool> Service::passwordCheckPool(std::size_t workers)
{
    const std::size_t admitted = std::max<std::size_t>(workers / 2, 1);
    return std::make_shared<sysmgnt::PasswordCheckPool>(std::min<std::size_t>(admitted, 2),
                                                        admitted);
}

// A login whose password is to be checked, with what was looked up before.
struct PendingLogin {
    LoginRequest request;
    std::string source;
    std::string counted;
    std::time_t now = 0;
    std::optional<sysmgnt::OperatorLogin> found;

    Attempt attempt() const { return {request.login, source, counted, now}; }
};

void Service::login(const std::string& body, const std::string& source, Answered answered)
{
    auto pending = std::make_shared<PendingLogin>();
    pending->source = source;
    try {
        if (auto refusal = startLogin(body, *pending))
            return answered(std::move(*refusal));
    } catch (const std::exception& e) {
        return answered(failed("login", e));
    }
    const bool taken = passwordChecks_->submit(
        [pending] {
            const auto& found = pending->found;
            const std::string& password = pending->request.password;
            return found ? secrets::verifyPassword(found->passwordHash, password)
                         : secrets::verifyAgainstNothing(password);
        },
        [this, pending, answered](std::future<bool> verified) {
            std::optional<Answer> answer;
            try {
                answer = finishLogin(*pending, verified.get());
            } catch (const std::exception& e) {
                answer = failed("login", e);
            }
            answered(std::move(*answer));
        });
    if (!taken)
        answered(checksBusy());
}

std::optional<Answer> Service::startLogin(const std::string& body, PendingLogin& login)
{
    if (const auto fault = decodeLogin(body, login.request))
        return protocolError(400, fault->message, fault->hint);
    const std::string& name = login.request.login;
    // No operator has a name out of form: it is refused before anything is looked up or stored.
    if (const std::string problem = sysmgnt::loginNameProblem(name); !problem.empty())
        return protocolError(400, problem, "登录名");
    login.now = std::time(nullptr);
    login.counted = sysmgnt::sourceKey(login.source);
    auto db = pool_.acquire();
    purgeExpired(*db, login.now);
    login.found = sysmgnt::findOperator(*db, name);
    return refuseUnchecked(*db, audit_, login.attempt(), login.found ? &*login.found : nullptr);
}

Answer Service::finishLogin(const PendingLogin& login, bool verified)
{
    const auto& found = login.found;
    const Attempt attempt = login.attempt();
    const std::string& name = attempt.name;
    auto db = pool_.acquire();
    const std::int32_t opId = found ? found->profile.OP_ID : 0;
    if (!verified) {
        // A name no operator has counts against its source alone: it leaves no row of its own.
        countFailed(*db, attempt, found.has_value());
        audit_.record(*db, {opId, name, login.source, "login refused", "", ""});
        return refused(kRefusedLogin, kWrongPassword, name);
    }
    sysmgnt::loginSucceeded(*db, name, attempt.counted, login.now);
    const std::string token = sessions_.open(*db, opId, login.now);
    audit_.record(*db, {opId, name, login.source, "login", "", ""});
    std::string answer = R"({"operator":)";
    tvd::wire::RecordWriter().write(answer, found->profile);
    answer += R"(,"result":0,"session":)";
    tvd::wire::appendText(answer, token);
    answer += '}';
    return {200, std::move(answer)};
}

void Service::purgeExpired(db::Driver& db, std::time_t now)
{
    std::time_t last = lastPurge_.load();
    if (now - last < 60 || !lastPurge_.compare_exchange_strong(last, now))
        return;
    sessions_.purgeExpired(db, now);
    sysmgnt::purgeFailedLogins(db, now);
    requestlog::purgeExpired(db, now);
    audit_.purge(db, now);
}

Service::~Service()
{
    try {
        audit_.purge(*pool_.acquire(), std::time(nullptr), true);
    } catch (const std::exception& e) {
        std::cerr << "rsimd: the access audit's last rows of logins told to wait: " << e.what()
                  << std::endl;
    }
}

Answer Service::logout(const std::string& session, const std::string& source)
{
    try {
        auto db = pool_.acquire();
        if (const std::int32_t opId = sessions_.close(*db, session))
            audit_.record(*db, {opId, "", source, "logout", "", ""});
        return {200, R"({"result":0})"};
    } catch (const std::exception& e) {
        return failed("logout", e);
    }
}

} // namespace rsim
