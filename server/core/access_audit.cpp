#include "access_audit.h"

#include "migration.h"

#include "tvd_datetime.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <utility>

namespace rsim {
namespace {

const std::vector<std::string> kColumns{"AUDIT_TIME", "OP_ID",     "LOGIN_NAME",  "SOURCE",
                                        "EVENT",      "OPERATION", "RECORD_KEYS", "ATTEMPTS"};

// The audit file's own schema; the main database gets the same table from its migrations.
const std::vector<db::Migration>& auditFileMigrations()
{
    static const std::vector<db::Migration> migrations{
        {1,
         "access audit",
         {"CREATE TABLE sys_access_audit (AUDIT_TIME TEXT NOT NULL, OP_ID BIGINT NOT NULL, "
          "LOGIN_NAME TEXT NOT NULL, SOURCE TEXT NOT NULL, EVENT TEXT NOT NULL, "
          "OPERATION TEXT NOT NULL, RECORD_KEYS TEXT NOT NULL)",
          "CREATE INDEX sys_access_audit_time ON sys_access_audit (AUDIT_TIME)"}},
        {2,
         "logins told to wait summed up",
         {"ALTER TABLE sys_access_audit ADD COLUMN ATTEMPTS BIGINT NOT NULL DEFAULT 1"}}};
    return migrations;
}

db::Row rowOf(const AccessEvent& event, std::time_t when)
{
    return {auditTime(when), std::int64_t{event.opId}, event.loginName,  event.source,
            event.event,     event.operation,          event.recordKeys, event.attempts};
}

// The key split into the text before its trailing digits and the digits.
std::pair<std::string_view, std::string_view> splitNumber(std::string_view key)
{
    std::size_t start = key.size();
    while (start > 0 && key[start - 1] >= '0' && key[start - 1] <= '9')
        --start;
    return {key.substr(0, start), key.substr(start)};
}

// Whether digits b are digits a plus one, of the same length: where a ends in nines b ends in
// zeros, the digit before them is one greater and the digits before that are alike.
bool follows(std::string_view a, std::string_view b)
{
    if (a.empty() || a.size() != b.size())
        return false;
    std::size_t i = a.size();
    while (i > 0 && a[i - 1] == '9' && b[i - 1] == '0')
        --i;
    return i > 0 && a[i - 1] != '9' && b[i - 1] == a[i - 1] + 1 &&
           a.substr(0, i - 1) == b.substr(0, i - 1);
}

} // namespace

std::string auditTime(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return CBSDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec)
        .toWire();
}

std::string compactKeys(const std::vector<std::string>& keys)
{
    std::string text;
    for (std::size_t i = 0; i < keys.size();) {
        auto [prefix, digits] = splitNumber(keys[i]);
        std::size_t last = i;
        for (; last + 1 < keys.size(); ++last) {
            const auto [nextPrefix, nextDigits] = splitNumber(keys[last + 1]);
            if (nextPrefix != prefix || !follows(digits, nextDigits))
                break;
            digits = nextDigits;
        }
        if (!text.empty())
            text += "; ";
        text += keys[i];
        if (last > i)
            text.append("..").append(digits);
        i = last + 1;
    }
    return text;
}

std::string AccessAudit::auditFileOf(const std::string& mainDatabase)
{
    if (mainDatabase.rfind("sqlite:", 0) != 0)
        return {};
    const std::filesystem::path path = mainDatabase.substr(7);
    if (path == ":memory:")
        return ":memory:";
    return (path.parent_path() / (path.stem().string() + "-audit" + path.extension().string()))
        .string();
}

AccessAudit::AccessAudit(const std::string& mainDatabase, db::Driver& main,
                         std::chrono::days retention, std::int64_t restartLogFrames)
    : retention_(retention), restartLogFrames_(restartLogFrames)
{
    const std::string file = auditFileOf(mainDatabase);
    if (file.empty())
        return;
    own_ = db::connect("sqlite:" + file);
    own_->exec("PRAGMA synchronous=FULL");
    // A checkpoint syncs the audit file itself: behind a large commit of cards that took up to
    // 0.6 s, which the answer whose commit ran it waited for. It runs on checkpointer_ instead.
    own_->exec("PRAGMA wal_autocheckpoint=0");
    db::migrate(*own_, auditFileMigrations());
    std::vector<db::Row> rows;
    main.query("SELECT AUDIT_TIME, OP_ID, LOGIN_NAME, SOURCE, EVENT, OPERATION, RECORD_KEYS, "
               "ATTEMPTS FROM sys_access_audit",
               {}, [&](const db::Row& row) { rows.push_back(row); });
    if (!rows.empty()) {
        insert(*own_, rows);
        main.exec("DELETE FROM sys_access_audit");
    }
    if (file != ":memory:")
        checkpointer_ = std::thread([this, file] { checkpointWhileOpen(file); });
}

AccessAudit::~AccessAudit()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    closed_.notify_all();
    if (checkpointer_.joinable())
        checkpointer_.join();
}

// A passive checkpoint copies what it can without waiting for a writer, who goes on meanwhile.
// But the log starts over only at a commit that finds it copied whole, which answers that keep
// coming never let happen: it would grow without end, each commit appending to it. Past
// restartLogFrames_, the checkpoint runs once more in the committers' place, with no commit
// under way; it copies the few frames that came meanwhile, and the next commit starts the log
// over. Answers wait for that short pass only, and only under such a stream of them.
void AccessAudit::checkpointWhileOpen(const std::string& file)
{
    const auto connection = db::connect("sqlite:" + file);
    std::unique_lock lock(mutex_);
    while (!closed_.wait_for(lock, std::chrono::seconds(1), [this] { return closing_; })) {
        if (!std::exchange(committed_, false))
            continue;
        lock.unlock();
        const std::int64_t logged = checkpoint(*connection);
        lock.lock();
        if (logged >= restartLogFrames_)
            alone(lock, [&] { checkpoint(*connection); });
    }
}

void AccessAudit::alone(std::unique_lock<std::mutex>& lock, const std::function<void()>& work)
{
    settled_.wait(lock, [this] { return !committing_; });
    committing_ = true;
    lock.unlock();
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    committing_ = false;
    settled_.notify_all();
    if (failure)
        std::rethrow_exception(failure);
}

// A failed checkpoint loses nothing (the rows are in the log); the next one tries again.
std::int64_t AccessAudit::checkpoint(db::Driver& connection)
{
    std::int64_t logged = 0;
    try {
        connection.query("PRAGMA wal_checkpoint(PASSIVE)", {},
                         [&](const db::Row& row) { logged = db::asInt(row[1]); });
    } catch (const std::exception& e) {
        std::cerr << "rsimd: the access audit file's checkpoint: " << e.what() << std::endl;
    }
    return logged;
}

void AccessAudit::record(db::Driver& connection, const AccessEvent& event)
{
    const std::vector<db::Row> rows{rowOf(event, std::time(nullptr))};
    if (!own_)
        return insert(connection, rows);
    // Group commit: a row waits for the commit under way, then the rows that gathered meanwhile
    // are committed together, so that concurrent answers share one fsync instead of queueing for
    // one each.
    std::unique_lock lock(mutex_);
    if (!pending_)
        pending_ = std::make_shared<Group>();
    const std::shared_ptr<Group> mine = pending_;
    mine->rows.push_back(rows.front());
    while (!mine->durable && !mine->failure) {
        if (committing_) {
            settled_.wait(lock);
            continue;
        }
        const std::shared_ptr<Group> group = std::move(pending_); // holds mine
        committing_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            insert(*own_, group->rows);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        group->durable = !failure;
        group->failure = failure;
        committing_ = false;
        committed_ = true;
        settled_.notify_all();
    }
    if (mine->failure)
        std::rethrow_exception(mine->failure);
}

void AccessAudit::throttled(db::Driver& connection, const std::string& loginName,
                            const std::string& source, std::time_t now)
{
    std::unique_lock lock(throttledMutex_);
    Throttled& sum = throttled_[{loginName, source}];
    if (sum.attempts++ == 0)
        sum.first = now;
    if (throttled_.size() < kMaxThrottled)
        return;
    const std::vector<db::Row> rows = takeThrottled(now, true);
    lock.unlock();
    recordRows(connection, rows);
}

std::vector<db::Row> AccessAudit::takeThrottled(std::time_t now, bool all)
{
    std::vector<db::Row> rows;
    for (auto sum = throttled_.begin(); sum != throttled_.end();) {
        if (!all && now < sum->second.first + kThrottledWindow) {
            ++sum;
            continue;
        }
        const auto& [loginName, source] = sum->first;
        rows.push_back(
            rowOf({0, loginName, source, "login throttled", "", "", sum->second.attempts},
                  sum->second.first));
        sum = throttled_.erase(sum);
    }
    return rows;
}

void AccessAudit::purge(db::Driver& connection, std::time_t now, bool stopping)
{
    std::vector<db::Row> rows;
    {
        std::lock_guard lock(throttledMutex_);
        rows = takeThrottled(now, stopping);
    }
    if (!rows.empty())
        recordRows(connection, rows);
    const std::string oldest = auditTime(now - std::chrono::seconds(retention_).count());
    const std::string purge = "DELETE FROM sys_access_audit WHERE AUDIT_TIME < ?";
    if (!own_)
        return connection.exec(purge, {oldest});
    std::unique_lock lock(mutex_);
    alone(lock, [&] { own_->exec(purge, {oldest}); });
}

void AccessAudit::recordRows(db::Driver& connection, const std::vector<db::Row>& rows)
{
    if (!own_)
        return insert(connection, rows);
    std::unique_lock lock(mutex_);
    alone(lock, [&] { insert(*own_, rows); });
    committed_ = true;
}

void AccessAudit::insert(db::Driver& connection, const std::vector<db::Row>& rows)
{
    db::Transaction tx(connection);
    connection.insertMany("sys_access_audit", kColumns, rows);
    tx.commit();
}

} // namespace rsim
