#include "service.h"

#include "ResRemoteSimTables.h"
#include "request_json.h"
#include "request_log.h"
#include "sealed_columns.h"

#include "sysmgnt.h"
#include "table.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"
#include "tvd_operation.h"

#include <algorithm>
#include <ctime>
#include <iostream>

namespace rsim {
namespace {

// An answer of only its error record and result.
Answer fault(int status, int result, const CBSErrorMsg& error)
{
    Answer answer(status, tvd::wire::encodeFault(result, error));
    answer.result = result;
    return answer;
}

Answer fault(int status, int result, int minor, const std::string& message, const std::string& hint)
{
    CBSErrorMsg error;
    error.set(result, minor, message, hint);
    return fault(status, result, error);
}

} // namespace

Answer protocolError(int status, const std::string& message, const std::string& hint)
{
    return fault(status, -1, status, message, hint);
}

Answer refused(RefusalCode minor, const std::string& message, const std::string& hint, int status)
{
    return fault(status, 1, minor, message, hint);
}

Service::Service(DriverPool& pool, const secrets::SecretBox& secrets, std::int64_t maxRows,
                 SessionPolicy sessions, std::chrono::days accessAuditRetention)
    : pool_(pool), secrets_(secrets), maxRows_(maxRows), sessions_(sessions),
      audit_(pool.address(), *pool.acquire(), accessAuditRetention)
{
    sysmgnt::registerHandlers(handlers_);
    tables::registerHandlers(handlers_);
}

void Service::recordAudit(const Call& call, CallContext& context)
{
    // A chunk at a time: the rows of a batch of 200,000 cards at once would take 50 MB.
    constexpr std::size_t kChunk = 10000;
    const std::vector<std::string>& keys = context.auditKeys;
    const std::string now = auditTime(std::time(nullptr));
    std::vector<db::Row> rows;
    rows.reserve(std::min(keys.size(), kChunk));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        rows.push_back({now, std::int64_t{context.opId}, call.interfaceName, call.code,
                        call.operation.name, keys[i]});
        if (rows.size() == kChunk || i + 1 == keys.size()) {
            context.db.insertMany(
                "sys_audit",
                {"AUDIT_TIME", "OP_ID", "INTERFACE", "CODE", "OPERATION", "RECORD_KEY"}, rows);
            rows.clear();
        }
    }
    context.auditKeys.clear();
}

std::vector<Service::Operation> Service::operations() const
{
    std::vector<Operation> operations;
    for (const auto& [interfaceName, code, entry] : handlers_.all())
        if (tvd_findOperation(interfaceName, code) != nullptr)
            operations.push_back({interfaceName, code, entry.writes()});
    return operations;
}

Admitted Service::admit(const std::string& interfaceName, const std::string& code,
                        const std::string& session)
{
    const TvdOperation* operation = tvd_findOperation(interfaceName, code);
    const HandlerEntry* entry = handlers_.find(interfaceName, code);
    if (operation == nullptr || entry == nullptr)
        return {protocolError(404, "未知的接口或操作", interfaceName + "/" + code), {}};
    const auto expired = [&] {
        return refused(kRefusedSession, "会话无效或已过期，请重新登录", operation->name);
    };
    if (session.empty()) // refused without a connection of the pool
        return {expired(), {}};
    std::optional<SessionOwner> owner;
    try {
        auto db = pool_.acquire();
        owner = sessions_.find(*db, session, std::time(nullptr),
                               {entry->requiredEntity, entry->askedEntity});
    } catch (const std::exception& e) {
        return {failed(operation->name, e), {}};
    }
    if (!owner)
        return {expired(), {}};
    if (entry->requiredEntity != 0 && !owner->holds(entry->requiredEntity).value_or(false)) {
        Answer refusal =
            refused(kRefusedRight,
                    entry->writes() ? "操作员没有该操作的权限" : "操作员没有查询该数据的权限",
                    "需要权限实体 " + std::to_string(entry->requiredEntity), 403);
        refusal.opId = owner->opId;
        return {std::move(refusal), {}};
    }
    return {std::nullopt, *owner};
}

Answer Service::call(const std::string& interfaceName, const std::string& code,
                     const BodySource& body, const Caller& caller, Mode mode)
{
    const TvdOperation* operation = tvd_findOperation(interfaceName, code);
    const HandlerEntry* entry = handlers_.find(interfaceName, code);
    if (operation == nullptr || entry == nullptr)
        return protocolError(404, "未知的接口或操作", interfaceName + "/" + code);
    if (entry->writes() && mode == Mode::Store && !caller.requestId.empty() &&
        !requestlog::validId(caller.requestId))
        return protocolError(400, "请求编号不合法",
                             "X-Tav-Request-Id 须为1到64个字母、数字、- 或 _");
    const Call call{interfaceName, code, *operation, *entry, body, caller, mode};
    for (int attempt = 1;; ++attempt) {
        try {
            return run(call);
        } catch (const db::Error& e) {
            // A write that lost a race for a unique value to another writer is rolled back and its
            // connection is back in the pool; run again, its checks find the value stored and
            // name it as every duplicate is named.
            if (e.kind != db::Error::Kind::Unique)
                return failed(operation->name, e);
            if (attempt < kUniqueAttempts)
                continue;
            std::cerr << "rsimd: " << operation->name << ": " << e.what() << std::endl;
            return refused(kRefusedDuplicate, "记录已存在", "与同时写入的记录重复，请重新提交");
        } catch (const std::exception& e) {
            return failed(operation->name, e);
        }
    }
}

Answer Service::failed(const std::string& what, const std::exception& e)
{
    std::cerr << "rsimd: " << what << ": " << e.what() << std::endl;
    const auto* database = dynamic_cast<const db::Error*>(&e);
    if (database == nullptr)
        return protocolError(500, "服务内部错误", "详情见服务日志");
    switch (database->kind) {
    case db::Error::Kind::Connection: {
        Answer answer = protocolError(503, "数据库暂时不可用，请稍后重试",
                                      "连接中断、应答超时或数据库正在切换主库；"
                                      "带请求编号重发的写入只会写入一次");
        answer.retryAfter = kRetryAfterSeconds;
        return answer;
    }
    case db::Error::Kind::Full:
        storageFull_ = true;
        return protocolError(507, "数据库存储空间已满，本次写入未保存",
                             "请管理员释放数据库所在磁盘的空间或扩容，之后无需重启即可写入；"
                             "查询不受影响");
    case db::Error::Kind::Busy: return refused(kRefusedInvalid, "数据库忙，请稍后重试", what);
    default: return protocolError(500, "数据库操作失败", "详情见服务日志");
    }
}

Answer Service::run(const Call& call)
{
    auto db = pool_.acquire();
    const SessionOwner& owner = call.caller.owner;
    CallContext context{*db,
                        secrets_,
                        owner.opId,
                        owner.orgId,
                        maxRows_,
                        [&](std::int32_t entity) {
                            if (const auto held = owner.holds(entity))
                                return *held;
                            return sysmgnt::holdsRight(*db, owner.opId, entity,
                                                       rsimcatalog::kPrivilege);
                        },
                        {}};
    tvd::wire::OwnedParams in(*call.operation.in);
    tvd::wire::OwnedParams out(*call.operation.out);
    // The answer's text is written without a tree, its out-object first: a long list of records
    // is then one text, written as the records are read.
    std::string text = R"({"out":)";
    tvd::wire::ParamsWriter answerWriter(out.params());
    std::int64_t rows = 0;
    context.answerRecord = [&](const CTvdBasicListObject& list) -> std::string& {
        ++rows;
        answerWriter.startRecord(text, list);
        return text;
    };
    const auto answered = [&](const Outcome& outcome) {
        rows += outcome.rows + tvd::wire::ParamsWriter::recordCount(out.params());
        Answer result = answer(outcome, out.error(), answerWriter, text);
        result.opId = owner.opId;
        result.rows = rows;
        return result;
    };
    if (!call.entry.writes())
        return answered(query(call, context, in.params(), out));

    const std::string& requestId = call.caller.requestId;
    const bool kept = call.mode == Mode::Store && !requestId.empty();
    const std::string& digest = call.caller.requestDigest;
    if (kept && digest.empty())
        throw std::logic_error("a write's request id without the digest of its request");
    db::Transaction tx(*db);
    secrets::takeUpKeyVersion(*db, secrets_); // before anything it writes is sealed
    if (kept) {
        if (auto first = requestlog::find(*db, owner.opId, requestId)) {
            // An id kept before ids had digests is not compared.
            if (!first->digest.empty() && first->digest != digest)
                return protocolError(409, "请求编号已用于另一个请求",
                                     "同一请求编号只能用于重发同一请求，新的请求请用新的编号");
            first->answer.opId = owner.opId;
            return std::move(first->answer);
        }
        requestlog::claim(*db, owner.opId, requestId, digest, std::time(nullptr));
    }
    const Outcome outcome = write(call, context, in.params(), out.error());
    Answer result = answered(outcome);
    if (outcome.fault || outcome.result != 0 || call.mode != Mode::Store)
        return result;
    if (kept)
        requestlog::keep(*db, owner.opId, requestId, result);
    tx.commit();
    storageFull_ = false;
    return result;
}

Answer Service::answer(const Outcome& outcome, const CBSErrorMsg& error,
                       tvd::wire::ParamsWriter& answerWriter, std::string& text)
{
    if (outcome.fault)
        return protocolError(400, outcome.fault->message, outcome.fault->hint);
    if (outcome.result != 0)
        return fault(200, outcome.result, error);
    while (answerWriter.next(text, static_cast<std::size_t>(-1))) {
    }
    text += R"(,"error":)";
    tvd::wire::appendError(text, error);
    text += R"(,"result":0})";
    return {200, std::move(text)};
}

Service::Outcome Service::write(const Call& call, CallContext& context, CTvdBasicParamObject& in,
                                CBSErrorMsg& error)
{
    const auto writer = call.entry.writer(context);
    Outcome outcome;
    int written = 0;
    const tvd::wire::ListChunks chunks{kWriteChunk, [&](const CTvdBasicListObject& records) {
                                           if (written++ == 1)
                                               context.db.tablesGrowing();
                                           outcome.rows += records.count();
                                           outcome.result = writer->write(records, error);
                                           if (outcome.result == 0 && call.mode == Mode::Store)
                                               recordAudit(call, context);
                                           context.auditKeys.clear();
                                           return outcome.result == 0;
                                       }};
    const auto body = call.body();
    std::istream text(body.get());
    outcome.fault = decodeCall(text, call.operation.name, in, &chunks);
    return outcome;
}

Service::Outcome Service::query(const Call& call, CallContext& context, CTvdBasicParamObject& in,
                                tvd::wire::OwnedParams& out)
{
    Outcome outcome;
    const auto body = call.body();
    std::istream text(body.get());
    outcome.fault = decodeCall(text, call.operation.name, in);
    if (outcome.fault)
        return outcome;
    outcome.result = call.entry.handler(context, in, out.params(), out.error());
    if (outcome.result == 0 && !context.auditKeys.empty()) // an answer that carries secrets
        audit_.record(context.db, {context.opId, "", "", "read",
                                   call.interfaceName + "/" + call.code + " " + call.operation.name,
                                   compactKeys(context.auditKeys)});
    return outcome;
}

} // namespace rsim
