#include "backup.h"

#include "driver.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <memory>

namespace rsim::db {
namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Connection openFile(const std::string& path, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection connection(db, &sqlite3_close);
    if (rc != SQLITE_OK)
        throw Error(Error::Kind::Connection, "cannot open the SQLite database '" + path +
                                                 "': " + (db ? sqlite3_errmsg(db) : "no memory"));
    sqlite3_busy_timeout(db, 10000);
    return connection;
}

void run(sqlite3* db, const char* sql, const std::string& path)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Error(Error::Kind::Other, "'" + path + "': " + sqlite3_errmsg(db));
}

void syncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw Error(Error::Kind::Other, "cannot write the backup '" + path + "' to disk");
}

void removeWithItsJournal(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((path + suffix).c_str());
}

} // namespace

void backupSqlite(const std::string& path, const std::string& target, int pagesPerStep,
                  const std::function<void(int copied, int total)>& progress,
                  const std::function<void(const std::string& copy)>& check)
{
    const std::string partial = target + ".partial";
    removeWithItsJournal(partial);
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error(Error::Kind::Other, "cannot create the backup '" + partial + "'");
    ::close(fd);
    try {
        Connection source = openFile(path, SQLITE_OPEN_READONLY);
        Connection copy = openFile(partial, SQLITE_OPEN_READWRITE);
        // The read transaction keeps one snapshot for every step of the copy.
        run(source.get(), "BEGIN; SELECT COUNT(*) FROM sqlite_master", path);
        sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
        if (backup == nullptr)
            throw Error(Error::Kind::Other,
                        "cannot back up '" + path + "': " + sqlite3_errmsg(copy.get()));
        int rc = SQLITE_OK;
        while ((rc = sqlite3_backup_step(backup, pagesPerStep)) == SQLITE_OK || rc == SQLITE_BUSY ||
               rc == SQLITE_LOCKED) {
            if (rc != SQLITE_OK)
                sqlite3_sleep(10);
            const int total = sqlite3_backup_pagecount(backup);
            progress(total - sqlite3_backup_remaining(backup), total);
        }
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw Error(Error::Kind::Other,
                        "the backup of '" + path + "' failed: " + sqlite3_errstr(rc));
        run(source.get(), "COMMIT", path);
        check("sqlite:" + partial);
        // A copy that stands alone: its pages are all in the file, none in a WAL beside it.
        run(copy.get(), "PRAGMA journal_mode=DELETE", partial);
    } catch (...) {
        removeWithItsJournal(partial);
        throw;
    }
    syncFile(partial);
    if (std::rename(partial.c_str(), target.c_str()) != 0)
        throw Error(Error::Kind::Other,
                    "cannot rename the backup '" + partial + "' to '" + target + "'");
}

} // namespace rsim::db
