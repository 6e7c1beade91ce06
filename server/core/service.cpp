#include "service.h"

#include "ResRemoteSimTables.h"
#include "request_json.h"

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

using nlohmann::json;

json refusal(int code, int minor, const std::string& message, const std::string& hint)
{
    CBSErrorMsg error;
    error.set(code, minor, message, hint);
    return {{"result", code}, {"error", tvd::wire::encodeError(error)}};
}

std::string wireTime(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return CBSDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec)
        .toWire();
}

} // namespace

Answer protocolError(int status, const std::string& message, const std::string& hint)
{
    return {status, refusal(-1, status, message, hint)};
}

DriverPool::DriverPool(std::string address, std::size_t size)
    : address_(std::move(address)), size_(size)
{
    for (std::size_t i = 0; i < size; ++i)
        idle_.push_back(db::connect(address_));
}

DriverPool::Lease DriverPool::acquire()
{
    std::unique_lock lock(mutex_);
    ++waiting_;
    available_.wait(lock, [this] { return !idle_.empty(); });
    --waiting_;
    return Lease(*this, takeIdle());
}

std::optional<DriverPool::Lease>
DriverPool::tryAcquire(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    ++waiting_;
    const bool free = available_.wait_until(lock, deadline, [this] { return !idle_.empty(); });
    --waiting_;
    if (!free)
        return std::nullopt;
    return std::optional<Lease>(std::in_place, *this, takeIdle());
}

std::unique_ptr<db::Driver> DriverPool::takeIdle()
{
    auto driver = std::move(idle_.back());
    idle_.pop_back();
    return driver;
}

DriverPool::Usage DriverPool::usage()
{
    std::lock_guard lock(mutex_);
    return {size_ - idle_.size(), waiting_};
}

void DriverPool::giveBack(std::unique_ptr<db::Driver> driver)
{
    if (driver->inTransaction())
        driver->rollback();
    {
        std::lock_guard lock(mutex_);
        idle_.push_back(std::move(driver));
    }
    available_.notify_one();
}

Service::Service(DriverPool& pool, const secrets::SecretBox& secrets, std::int64_t maxRows,
                 SessionPolicy sessions)
    : pool_(pool), secrets_(secrets), maxRows_(maxRows), sessions_(sessions),
      audit_(pool.address(), *pool.acquire())
{
    sysmgnt::registerHandlers(handlers_);
    tables::registerHandlers(handlers_);
}

void Service::recordAudit(const Call& call, CallContext& context)
{
    // A chunk at a time: the rows of a batch of 200,000 cards at once would take 50 MB.
    constexpr std::size_t kChunk = 10000;
    const std::vector<std::string>& keys = context.auditKeys;
    const std::string now = wireTime(std::time(nullptr));
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

std::optional<Answer> Service::admit(const std::string& interfaceName, const std::string& code,
                                     const std::string& session)
{
    const TvdOperation* operation = tvd_findOperation(interfaceName, code);
    const HandlerEntry* entry = handlers_.find(interfaceName, code);
    if (operation == nullptr || entry == nullptr)
        return protocolError(404, "未知的接口或操作", interfaceName + "/" + code);
    if (session.empty()) // refused without a connection of the pool
        return Answer{200,
                      refusal(1, kRefusedSession, "会话无效或已过期，请重新登录", operation->name)};
    auto db = pool_.acquire();
    SessionOwner owner;
    return callRefusal(*db, *entry, operation->name, session, owner);
}

std::optional<Answer> Service::callRefusal(db::Driver& db, const HandlerEntry& entry,
                                           const std::string& operationName,
                                           const std::string& session, SessionOwner& owner)
{
    const auto found = sessions_.find(db, session, std::time(nullptr));
    if (!found)
        return Answer{200,
                      refusal(1, kRefusedSession, "会话无效或已过期，请重新登录", operationName)};
    owner = *found;
    if (entry.requiredEntity != 0 &&
        !sysmgnt::holdsRight(db, owner.opId, entry.requiredEntity, rsimcatalog::kPrivilege))
        return Answer{200, refusal(1, kRefusedRight, "操作员没有该操作的权限",
                                   "需要权限实体 " + std::to_string(entry.requiredEntity))};
    return std::nullopt;
}

Answer Service::call(const std::string& interfaceName, const std::string& code,
                     const BodySource& body, const Caller& caller, Mode mode)
{
    const TvdOperation* operation = tvd_findOperation(interfaceName, code);
    const HandlerEntry* entry = handlers_.find(interfaceName, code);
    if (operation == nullptr || entry == nullptr)
        return protocolError(404, "未知的接口或操作", interfaceName + "/" + code);
    {
        const auto buffer = body();
        std::istream text(buffer.get());
        if (const auto fault = checkRequestJson(text))
            return protocolError(400, fault->message, fault->hint);
    }

    const Call call{interfaceName, code, *operation, *entry, body, caller, mode};
    for (int attempt = 1;; ++attempt) {
        try {
            return run(call);
        } catch (const db::Error& e) {
            if (e.kind == db::Error::Kind::Busy)
                return {200, refusal(1, kRefusedInvalid, "数据库忙，请稍后重试", operation->name)};
            // A write that lost a race for a unique value to another writer is rolled back and its
            // connection is back in the pool; run again, its checks find the value stored and
            // name it as every duplicate is named.
            if (e.kind == db::Error::Kind::Unique && attempt < kUniqueAttempts)
                continue;
            std::cerr << "rsimd: " << operation->name << ": " << e.what() << std::endl;
            if (e.kind == db::Error::Kind::Unique)
                return {200, refusal(1, kRefusedDuplicate, "记录已存在",
                                     "与同时写入的记录重复，请重新提交")};
            return {500, refusal(-1, 500, "数据库操作失败", "详情见服务日志")};
        } catch (const std::exception& e) {
            std::cerr << "rsimd: " << operation->name << ": " << e.what() << std::endl;
            return {500, refusal(-1, 500, "服务内部错误", "详情见服务日志")};
        }
    }
}

Answer Service::run(const Call& call)
{
    auto db = pool_.acquire();
    SessionOwner owner;
    std::int64_t rows = 0;
    const auto answered = [&](Answer answer) {
        answer.opId = owner.opId;
        answer.rows = rows;
        return answer;
    };
    if (auto refused =
            callRefusal(*db, call.entry, call.operation.name, call.caller.session, owner))
        return answered(std::move(*refused));
    CallContext context{*db,
                        secrets_,
                        owner.opId,
                        owner.orgId,
                        maxRows_,
                        [&](std::int32_t entity) {
                            return sysmgnt::holdsRight(*db, owner.opId, entity, 10); },
                        {}};
    tvd::wire::OwnedParams in(*call.operation.in);
    tvd::wire::OwnedParams out(*call.operation.out);
    // The answer's text is written without a tree, its out-object first: a long list of records
    // is then one text, written as the records are read.
    std::string answer = R"({"out":)";
    tvd::wire::ParamsWriter answerWriter(out.params());
    context.answerRecords = [&](CTvdBasicListObject& records) {
        rows += records.count();
        answerWriter.take(answer, records);
    };
    const Outcome outcome = call.entry.writes() ? write(call, context, in.params(), out.error())
                                                : query(call, context, in.params(), out);
    rows += outcome.rows + tvd::wire::ParamsWriter::recordCount(out.params());
    if (outcome.fault)
        return answered(protocolError(400, outcome.fault->message, outcome.fault->hint));
    if (outcome.result != 0)
        return answered({200, json{{"result", outcome.result},
                                   {"error", tvd::wire::encodeError(out.error())}}});
    while (answerWriter.next(answer, static_cast<std::size_t>(-1))) {
    }
    answer += R"(,"error":)" + tvd::wire::encodeError(out.error()).dump() + R"(,"result":0})";
    return answered({200, std::move(answer)});
}

Service::Outcome Service::write(const Call& call, CallContext& context, CTvdBasicParamObject& in,
                                CBSErrorMsg& error)
{
    db::Transaction tx(context.db);
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
    if (!outcome.fault && outcome.result == 0 && call.mode == Mode::Store)
        tx.commit();
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
