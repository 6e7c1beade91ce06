#include "service.h"

#include "audit.h"
#include "sessions.h"
#include "sysmgnt.h"
#include "tvd_client.h"
#include "tvd_json.h"

#include <optional>

namespace rsim {
namespace {

using nlohmann::json;

constexpr const char* kSessionRefused = "会话无效或已过期，请重新登录";

Answer protocolError(int status, const std::string& message, const std::string& hint)
{
    return {status, refusal(-1, status, message, hint)};
}

Answer businessRefusal(int minor, const std::string& message, const std::string& hint)
{
    return {200, refusal(1, minor, message, hint)};
}

// The hash of a password nobody knows: checked for login names that do not exist.
const std::string& unusableHash()
{
    static const std::string hash = secrets::hashPassword(secrets::newToken());
    return hash;
}

// Decodes the "in" member of a call's body into the in-object; an answer when the body is bad.
std::optional<Answer> decodeCall(const std::string& body, CTvdBasicParamObject& in, const TvdOperation& operation)
{
    json request;
    try {
        request = json::parse(body);
    } catch (const json::parse_error& e) {
        return protocolError(400, "请求不是合法的JSON", e.what());
    }
    if (!request.is_object() || !request.contains("in"))
        return protocolError(400, "请求格式错误：缺少 \"in\"", "需要JSON对象 {\"in\": {…}}，操作 " + operation.name);
    try {
        tvd::wire::decodeParams(request["in"], in, "in");
    } catch (const tvd::wire::DecodeError& e) {
        return protocolError(400, "请求参数错误", e.what());
    }
    return std::nullopt;
}

Answer unknownOperation(const HandlerTable& handlers, const std::string& interfaceName, const std::string& code)
{
    if (!handlers.hasInterface(interfaceName))
        return protocolError(404, "未知的接口：" + interfaceName, "/v1/call/" + interfaceName + "/" + code);
    return protocolError(404, "接口 " + interfaceName + " 没有操作 " + code, "/v1/call/" + interfaceName + "/" + code);
}

// The answer of a failure the handler did not explain itself.
Answer failure(const std::exception& e, const std::string& operation)
{
    if (const auto* dbError = dynamic_cast<const db::Error*>(&e)) {
        if (dbError->kind == db::Error::Kind::Busy)
            return businessRefusal(kRefusedBusy, "数据库忙，请稍后重试", operation);
        if (dbError->kind == db::Error::Kind::Unique)
            return businessRefusal(kRefusedDuplicate, "记录已存在", operation + ": " + e.what());
        if (dbError->kind == db::Error::Kind::ForeignKey)
            return businessRefusal(kRefusedReference, "记录引用了不存在的记录，或仍被其他记录引用", operation + ": " + e.what());
        return {200, refusal(-1, kFailedInternal, "数据库操作失败，本次操作未生效", operation + ": " + e.what())};
    }
    return {200, refusal(-1, kFailedInternal, "服务内部错误，本次操作未生效", operation + ": " + e.what())};
}

} // namespace

json refusal(int code, int minor, const std::string& message, const std::string& hint)
{
    CBSErrorMsg error;
    error.set(code, minor, message, hint);
    return {{"result", code}, {"error", tvd::wire::encodeError(error)}};
}

Service::Service(DriverPool& pool, const secrets::SecretBox& secrets, HandlerTable handlers)
    : pool_(pool), secrets_(secrets), handlers_(std::move(handlers))
{
}

Answer Service::login(const std::string& body)
{
    const json request = json::parse(body, nullptr, false);
    if (!request.is_object() || !request.contains("login") || !request["login"].is_string() ||
        !request.contains("password") || !request["password"].is_string())
        return protocolError(400, "登录请求格式错误", "需要JSON对象 {\"login\": 文本, \"password\": 文本}");
    const std::string loginName = request["login"];
    return withDriver("login", [&](db::Driver& db) -> Answer {
        const auto found = sysmgnt::findOperator(db, loginName);
        // A missing login name costs a hash check as well, so that timing does not tell names apart.
        const bool passwordOk = secrets::verifyPassword(found ? found->passwordHash : unusableHash(),
                                                        request["password"].get<std::string>());
        if (!found || !passwordOk)
            return businessRefusal(kRefusedLogin, "登录名或密码错误", loginName);
        if (found->profile.LOCK_STATUS != 0)
            return businessRefusal(kRefusedLogin, "操作员已被锁定，不能登录", loginName);
        const std::string token = sessions::open(db, found->profile.OP_ID);
        return {200, {{"result", 0}, {"session", token}, {"operator", tvd::wire::encode(found->profile)}}};
    });
}

Answer Service::logout(const std::string& session)
{
    return withDriver("logout", [&](db::Driver& db) -> Answer {
        sessions::close(db, session);
        return {200, {{"result", 0}}};
    });
}

Answer Service::call(const std::string& interfaceName, const std::string& code, const std::string& body,
                     const std::string& session)
{
    const TvdOperation* operation = tvd_findOperation(interfaceName, code);
    const HandlerEntry* entry = handlers_.find(interfaceName, code);
    if (operation == nullptr || entry == nullptr)
        return unknownOperation(handlers_, interfaceName, code);
    tvd::wire::OwnedParams in(*operation->in);
    tvd::wire::OwnedParams out(*operation->out);
    if (auto refused = decodeCall(body, in.params(), *operation))
        return std::move(*refused);
    return withDriver(operation->name, [&](db::Driver& db) {
        return dispatch(db, *operation, *entry, in.params(), out.params(), out.error(), session);
    });
}

Answer Service::withDriver(const std::string& what, const std::function<Answer(db::Driver&)>& work)
{
    try {
        auto db = pool_.acquire();
        return work(*db);
    } catch (const std::exception& e) {
        return failure(e, what);
    }
}

Answer Service::dispatch(db::Driver& db, const TvdOperation& operation, const HandlerEntry& entry,
                         CTvdBasicParamObject& in, CTvdBasicParamObject& out, CBSErrorMsg& error,
                         const std::string& session)
{
    const auto who = sessions::resolve(db, session);
    if (!who)
        return businessRefusal(kRefusedSession, kSessionRefused, operation.name);
    if (entry.writes && entry.requiredEntity != 0 &&
        !sysmgnt::holdsRight(db, who->opId, entry.requiredEntity, kWritePrivilege))
        return businessRefusal(kRefusedRight, "操作员没有该操作的权限",
                               "需要权限实体 " + std::to_string(entry.requiredEntity) + "（" + operation.name + "）");
    CallContext context{db, secrets_, who->opId, who->orgId, {}};
    int result = 0;
    if (entry.writes) {
        db::Transaction transaction(db);
        result = entry.handler(context, in, out, error);
        if (result == 0) {
            audit::record(db, {who->opId, operation.interfaceName, operation.code, operation.name, context.auditKeys});
            transaction.commit();
        }
    } else {
        result = entry.handler(context, in, out, error);
    }
    if (result != 0 && error.code == 0) // a refusal must never read "no error"
        error.set(result, 0, "操作失败", operation.name);
    json answer{{"result", result}, {"error", tvd::wire::encodeError(error)}};
    if (result == 0)
        answer["out"] = tvd::wire::encodeParams(out);
    return {200, std::move(answer)};
}

} // namespace rsim
