// Logging in and out. The password hash runs while no database connection is held, so that a
// flood of logins cannot starve the calls of connections.
#include "service.h"

#include "login_guard.h"
#include "request_log.h"
#include "sysmgnt.h"
#include "tvd_json.h"

#include <ctime>

namespace rsim {

Answer Service::login(const std::string& body, const std::string& source)
{
    try {
        return checkLogin(body, source);
    } catch (const std::exception& e) {
        return failed("login", e);
    }
}

Answer Service::checkLogin(const std::string& body, const std::string& source)
{
    LoginRequest request;
    if (const auto fault = decodeLogin(body, request))
        return protocolError(400, fault->message, fault->hint);
    const std::string& name = request.login;
    const std::string& password = request.password;
    const std::time_t now = std::time(nullptr);
    std::optional<sysmgnt::OperatorLogin> found;
    bool admitted = false;
    {
        auto db = pool_.acquire();
        purgeExpired(*db, now);
        admitted = sysmgnt::admitLoginAttempt(*db, name, source, now);
        if (admitted)
            found = sysmgnt::findOperator(*db, name);
    }
    // A name whose attempts must wait is answered as a wrong password, without a check: the
    // answer tells nothing of the password.
    const bool verified =
        admitted && (found ? secrets::verifyPassword(found->passwordHash, password)
                           : secrets::verifyAgainstNothing(password));
    auto db = pool_.acquire();
    const std::int32_t opId = found ? found->profile.OP_ID : 0;
    if (!verified) {
        audit_.record(*db, {opId, name, source, "login refused", "", ""});
        return refused(kRefusedLogin, "登录名或密码错误", name);
    }
    sysmgnt::loginSucceeded(*db, name, source);
    if (found->profile.LOCK_STATUS != 0) {
        audit_.record(*db, {opId, name, source, "login refused", "", ""});
        return refused(kRefusedLogin, "操作员已被锁定，不能登录", name);
    }
    const std::string token = sessions_.open(*db, opId, now);
    audit_.record(*db, {opId, name, source, "login", "", ""});
    return {200,
            {{"result", 0}, {"session", token}, {"operator", tvd::wire::encode(found->profile)}}};
}

void Service::purgeExpired(db::Driver& db, std::time_t now)
{
    std::time_t last = lastPurge_.load();
    if (now - last < 60 || !lastPurge_.compare_exchange_strong(last, now))
        return;
    sessions_.purgeExpired(db, now);
    sysmgnt::purgeFailedLogins(db, now);
    requestlog::purgeExpired(db, now);
}

Answer Service::logout(const std::string& session, const std::string& source)
{
    try {
        auto db = pool_.acquire();
        if (const std::int32_t opId = sessions_.close(*db, session))
            audit_.record(*db, {opId, "", source, "logout", "", ""});
        return {200, {{"result", 0}}};
    } catch (const std::exception& e) {
        return failed("logout", e);
    }
}

} // namespace rsim
