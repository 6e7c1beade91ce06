// The access audit: answers that revealed secrets (one row per answer, naming the keys of the
// records it revealed), logins, refused logins and logouts. Writes are audited apart, in the
// write's own transaction (sys_audit, one row per record). Logins told to wait cost their sender
// nothing, so they are summed up: one row per login name and source a minute, with their number.
// Rows older than the retention are deleted.
//
// On SQLite the rows go to a database file of their own beside the main one ("rsim.db" →
// "rsim-audit.db"), with its own connection and lock, so that a reader never waits for the
// commit of a large write. The file's checkpoints run on a thread of their own, off the answers'
// path. On PostgreSQL they go to the main database, in a short transaction of
// their own on the caller's connection.
#pragma once

#include "driver.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace rsim {

struct AccessEvent {
    std::int32_t opId = 0; // 0: no operator (an unknown login name)
    std::string loginName;
    std::string source;    // the address it came from ("" when unknown)
    std::string event;     // "read", "login", "login refused", "login throttled", "logout"
    std::string operation; // for a read: interface/code operation
    std::string recordKeys;
    std::int64_t attempts = 1; // the logins a "login throttled" row sums up
};

class AccessAudit {
public:
    // Frames of the audit file's log past which it is made to start over (see
    // checkpointWhileOpen): 64 MiB of 4 KiB pages.
    static constexpr std::int64_t kRestartLogFrames = 16384;

    // The window over which the logins told to wait are summed up.
    static constexpr std::time_t kThrottledWindow = 60;
    // Names and sources summed up at once, past which their rows are written early.
    static constexpr std::size_t kMaxThrottled = 10000;

    // mainDatabase: the address of the main database. Moves the rows that the schema migration
    // left in the main database of an SQLite service into the audit file. Rows are kept for the
    // retention.
    AccessAudit(const std::string& mainDatabase, db::Driver& main,
                std::chrono::days retention = std::chrono::days(365),
                std::int64_t restartLogFrames = kRestartLogFrames);
    ~AccessAudit();

    // Durable when it returns; connection: a connection to the main database not in a
    // transaction.
    void record(db::Driver& connection, const AccessEvent& event);
    // A login of the name from the source told to wait, summed up with the others of its
    // window.
    void throttled(db::Driver& connection, const std::string& loginName, const std::string& source,
                   std::time_t now);
    // Writes the sums of throttled logins whose window ended (every sum: when stopping), and
    // deletes the rows past the retention.
    void purge(db::Driver& connection, std::time_t now, bool stopping = false);

    // "rsim-audit.db" beside "sqlite:…/rsim.db"; "" for PostgreSQL.
    static std::string auditFileOf(const std::string& mainDatabase);

private:
    // Commits the rows: on the audit file while no group commits, else on the connection.
    void recordRows(db::Driver& connection, const std::vector<db::Row>& rows);
    // The sums of throttled logins whose window ended, or all of them; under throttledMutex_.
    std::vector<db::Row> takeThrottled(std::time_t now, bool all);
    // Runs work while no group commits on the audit file.
    void alone(std::unique_lock<std::mutex>& lock, const std::function<void()>& work);
    void insert(db::Driver& connection, const std::vector<db::Row>& rows);
    // Copies committed rows of the audit file's log into the file, once a second while rows come.
    void checkpointWhileOpen(const std::string& file);
    // Frames in the log after a passive checkpoint on this connection; 0 when it failed.
    static std::int64_t checkpoint(db::Driver& connection);

    // Rows of the audit file waiting for the next commit of a group.
    struct Group {
        std::vector<db::Row> rows;
        bool durable = false;
        std::exception_ptr failure;
    };
    std::mutex mutex_;
    std::condition_variable settled_; // a group's commit ended
    std::shared_ptr<Group> pending_;  // rows gathering for the next commit
    bool committing_ = false;
    bool committed_ = false; // since the last checkpoint
    bool closing_ = false;
    std::condition_variable closed_;
    const std::chrono::days retention_;
    const std::int64_t restartLogFrames_;
    // Logins told to wait by (login name, source): the first one's time and their number.
    struct Throttled {
        std::time_t first = 0;
        std::int64_t attempts = 0;
    };
    std::mutex throttledMutex_;
    std::map<std::pair<std::string, std::string>, Throttled> throttled_;
    std::unique_ptr<db::Driver> own_; // SQLite's audit file
    std::thread checkpointer_;
};

// The local time as audit rows hold it ("2026-01-31 23:59:59").
std::string auditTime(std::time_t when);

// Record keys listed compactly: keys that differ only by a trailing number one greater than the
// key before are written as a range ("rsim_sim IMSI=460001000000010..460001000000019"), ranges
// and single keys separated by "; ".
std::string compactKeys(const std::vector<std::string>& keys);

} // namespace rsim
