// The access audit's compact key lists, and where its rows go on SQLite: a file of its own, into
// which the reads audited one row per record by an older version are moved, and whose log is
// copied into it while the service runs, and starts over however busy the service is. On both
// backends: logins told to wait summed up, and rows past the retention purged.
#include "access_audit.h"
#include "backend_fixture.h"
#include "rsimd_process.h"
#include "schema.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

TEST(AccessAudit, KeysWithConsecutiveTrailingNumbersBecomeRanges)
{
    using Keys = std::vector<std::string>;
    struct Case {
        Keys keys;
        std::string compact;
    };
    const Case cases[] = {
        {{}, ""},
        {{"rsim_sim IMSI=460001000000010"}, "rsim_sim IMSI=460001000000010"},
        {{"rsim_sim IMSI=460001000000009", "rsim_sim IMSI=460001000000010",
          "rsim_sim IMSI=460001000000011"},
         "rsim_sim IMSI=460001000000009..460001000000011"},
        {{"t K=19", "t K=20", "t K=22", "t K=23"}, "t K=19..20; t K=22..23"},
        {{"t K=9", "t K=10"}, "t K=9; t K=10"}, // another length is another key
        {{"t K=99", "t K=100"}, "t K=99; t K=100"},
        {{"t K=119", "t K=220", "t K=221"}, "t K=119; t K=220..221"},
        {{"a K=1", "b K=2"}, "a K=1; b K=2"},
        {{"t K=A1", "t K=A2", "t K=B3"}, "t K=A1..2; t K=B3"},
        {{"t K=x", "t K=x"}, "t K=x; t K=x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compact);
        EXPECT_EQ(rsim::compactKeys(c.keys), c.compact);
    }
}

TEST(AccessAudit, OnSqliteReadsAuditedPerRecordMoveToTheAuditFileWhichTakesItsLogWithinSeconds)
{
    const testsupport::TemporaryFolder folder;
    const std::string address = "sqlite:" + folder.path() + "/rsim.db";
    EXPECT_EQ(rsim::AccessAudit::auditFileOf(address), folder.path() + "/rsim-audit.db");
    auto db = rsim::db::connect(address);
    std::vector<rsim::db::Migration> before;
    for (const auto& migration : rsim::db::schemaMigrations())
        if (migration.version < 105)
            before.push_back(migration);
    rsim::db::migrate(*db, before);
    const char* insert = "INSERT INTO sys_audit (AUDIT_TIME, OP_ID, INTERFACE, CODE, OPERATION, "
                         "RECORD_KEY) VALUES ('2026-01-02 03:04:05', 1, 'I', ?, ?, ?)";
    db->exec(insert, {"RMOSMQ25", "add_simInfo", "rsim_sim IMSI=1"});
    db->exec(insert, {"RMOSMQ28", "qry_simInfo", "rsim_sim IMSI=1"});
    db->exec(insert, {"RMOSMQ28", "qry_simInfo", "rsim_sim IMSI=2"});
    rsim::db::migrate(*db, rsim::db::schemaMigrations());
    {
        rsim::AccessAudit audit(address, *db);
        audit.record(*db, {7, "viewer", "127.0.0.2", "login", "", ""});
    }
    auto count = [](rsim::db::Driver& d, const std::string& sql) {
        return rsim::db::asInt(d.scalar(sql));
    };
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM sys_audit"), 1) << "the write stays";
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM sys_access_audit"), 0);
    auto file = rsim::db::connect("sqlite:" + rsim::AccessAudit::auditFileOf(address));
    EXPECT_EQ(count(*file, "SELECT COUNT(*) FROM sys_access_audit WHERE EVENT = 'read' AND "
                           "OPERATION = 'I/RMOSMQ28 qry_simInfo' AND OP_ID = 1"),
              2);
    EXPECT_EQ(count(*file, "SELECT COUNT(*) FROM sys_access_audit WHERE EVENT = 'login' AND "
                           "LOGIN_NAME = 'viewer' AND SOURCE = '127.0.0.2'"),
              1);

    rsim::AccessAudit again(address, *db, std::chrono::days(400),
                            64); // log restarts past 64 frames
    EXPECT_EQ(count(*file, "SELECT COUNT(*) FROM sys_access_audit"), 3) << "moved once";
    const std::filesystem::path path = rsim::AccessAudit::auditFileOf(address);
    const auto size = std::filesystem::file_size(path);
    for (int i = 0; i < 200; ++i)
        again.record(*db, {7, "admin", "127.0.0.1", "read", "I/RMOSMQ28 qry_simInfo",
                           "rsim_sim IMSI=" + std::string(200, '4')});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::filesystem::file_size(path) == size && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GT(std::filesystem::file_size(path), size) << "the log is checkpointed";

    // Answers that never pause: the log still starts over, which gives its header a new salt.
    const auto salt = [log = path.string() + "-wal"] {
        std::ifstream in(log, std::ios::binary);
        char header[24] = {};
        in.read(header, sizeof header);
        return std::string(header + 16, 8);
    };
    const rsim::AccessEvent read{7, "admin", "127.0.0.1", "read", "I/RMOSMQ28 qry_simInfo", "k"};
    again.record(*db, read); // starts the log over, copied whole while nothing was written
    const std::string first = salt();
    const auto streamEnd = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (salt() == first && std::chrono::steady_clock::now() < streamEnd)
        again.record(*db, read);
    EXPECT_NE(salt(), first) << "the log starts over under a stream of answers";
}

class AccessAuditRows : public testsupport::DatabaseTest {};

// A client that keeps sending a login told to wait leaves one row per name and source a window,
// with the number of attempts, written once the window ends (or the service stops).
TEST_P(AccessAuditRows, LoginsToldToWaitAreSummedUpAndRowsPastTheRetentionPurged)
{
    rsim::db::migrate(*db_, rsim::db::schemaMigrations());
    rsim::AccessAudit audit(database_->address(), *db_, std::chrono::days(30));
    const std::string file = rsim::AccessAudit::auditFileOf(database_->address());
    const auto rows = file.empty() ? open() : rsim::db::connect("sqlite:" + file);
    const auto summary = [&] {
        std::vector<std::string> found;
        rows->query("SELECT LOGIN_NAME, SOURCE, EVENT, ATTEMPTS FROM sys_access_audit ORDER BY 2",
                    {}, [&](const rsim::db::Row& row) {
                        found.push_back(rsim::db::asText(row[0]) + " " + rsim::db::asText(row[1]) +
                                        " " + rsim::db::asText(row[2]) + " " +
                                        rsim::db::asText(row[3]));
                    });
        return found;
    };
    using Rows = std::vector<std::string>;
    const std::time_t start = std::time(nullptr);
    for (int i = 0; i < 1000; ++i)
        audit.throttled(*db_, "admin", "127.0.0.2", start + i % 30);
    audit.throttled(*db_, "admin", "::1", start + 30);
    audit.purge(*db_, start + 59);
    EXPECT_EQ(summary(), Rows{}) << "the window is not over";
    audit.purge(*db_, start + 60);
    EXPECT_EQ(summary(), Rows{"admin 127.0.0.2 login throttled 1000"});
    audit.purge(*db_, start + 61, true);
    EXPECT_EQ(summary(),
              (Rows{"admin 127.0.0.2 login throttled 1000", "admin ::1 login throttled 1"}))
        << "the service stops";

    rows->exec("UPDATE sys_access_audit SET AUDIT_TIME = ? WHERE SOURCE = '::1'",
               {rsim::auditTime(start - 31 * 86400)});
    audit.purge(*db_, start + 62);
    EXPECT_EQ(summary(), Rows{"admin 127.0.0.2 login throttled 1000"});
}

RSIM_ON_EVERY_BACKEND(AccessAuditRows);

} // namespace
