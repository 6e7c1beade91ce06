// rsimd's keys and files, end to end: a rekey beside a service that writes, interrupted and run
// again over a value that does not open, files for its user only, and backups taken while cards
// are written.
#include "sealed_columns.h"
#include "service_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

using namespace rsim::secrets;
using testsupport::Backend;
using testsupport::runRsimd;
using Remote = MResRemoteMgntApp::IResRemoteMgnt;

namespace {

// Every KI of the database opened with the key file.
int kisOpened(const std::string& database, const std::string& keyFile)
{
    auto db = rsim::db::connect(database);
    const std::vector<SealedColumn> ki{{"rsim_sim", "KI_CODE", {"IMSI"}, ""}};
    const SecretBox box = openKeyFile(*db, ki, keyFile, false);
    int opened = 0;
    db->query("SELECT KI_CODE, IMSI FROM rsim_sim WHERE KI_CODE <> ''", {},
              [&](const rsim::db::Row& row) {
                  box.decrypt(rsim::db::asText(row[0]),
                              {"rsim_sim", "KI_CODE", {rsim::db::asText(row[1])}});
                  ++opened;
              });
    return opened;
}

class KeysAndBackups : public testsupport::ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        if (IsSkipped())
            return;
        key_ = server_->keyFile();
        database_ = server_->database();
    }

    std::string key_, database_;
};

TEST_P(KeysAndBackups, RekeyBesideAWritingServiceAlwaysRotatesAndLeavesNothingUnderOldKeys)
{
    const std::string rekey = "rekey --db " + database_ + " --key-file " + key_ + " --batch 40";
    const std::string underOlderKeys =
        "SELECT COUNT(*) FROM rsim_sim WHERE (KI_CODE <> '' AND "
        "KI_CODE NOT LIKE ?) OR (KI_KEY <> '' AND KI_KEY NOT LIKE ?)";
    // Cards written through the service before, while and after rekey runs.
    std::atomic<bool> rekeyed{false};
    std::string refused;
    std::thread writer([&] {
        int afterRekey = 0;
        for (long long n = 1; afterRekey < 3 && refused.empty(); n += 5) {
            const bool after = rekeyed;
            refused = refusal(&Remote::add_simInfo, testsupport::cards(n, 5));
            afterRekey += after;
        }
    });
    std::string output;
    const int status = runRsimd(rekey, output);
    rekeyed = true;
    writer.join();
    ASSERT_EQ(status, 0) << output;
    EXPECT_EQ(refused, "");
    EXPECT_NE(output.find("every sealed value that opens is under key version v2"),
              std::string::npos)
        << output;
    EXPECT_EQ(count(underOlderKeys, {"s2:%", "s2:%"}), 0);

    ASSERT_EQ(runRsimd(rekey + " --max-batches 2", output), 0) << output;
    EXPECT_NE(output.find("added key version v3"), std::string::npos) << output;
    EXPECT_NE(output.find("stopped after 2 batches"), std::string::npos) << output;

    // A KI copied over another row's opens under no key: the next run still rotates, names it
    // and leaves it as it is.
    auto db = rsim::db::connect(database_);
    const std::string moved =
        rsim::db::asText(db->scalar("SELECT MAX(IMSI) FROM rsim_sim WHERE KI_CODE <> ''"));
    db->exec("UPDATE rsim_sim SET KI_CODE = (SELECT KI_CODE FROM rsim_sim WHERE IMSI = (SELECT "
             "MIN(IMSI) FROM rsim_sim WHERE KI_CODE <> '')) WHERE IMSI = ?",
             {moved});
    ASSERT_EQ(runRsimd(rekey, output), 0) << output;
    EXPECT_NE(output.find("added key version v4"), std::string::npos) << output;
    EXPECT_NE(output.find("not re-sealed, rsim_sim.KI_CODE IMSI=" + moved), std::string::npos)
        << output;
    EXPECT_NE(output.find("every sealed value that opens is under key version v4"),
              std::string::npos)
        << output;

    std::string kept, line;
    for (std::ifstream in(key_); std::getline(in, line);)
        if (line.starts_with("v4 "))
            kept += line + "\n";
    std::ofstream(key_) << kept;
    db->exec("UPDATE rsim_sim SET KI_CODE = '' WHERE IMSI = ?", {moved});
    EXPECT_EQ(kisOpened(database_, key_),
              count("SELECT COUNT(*) FROM rsim_sim WHERE KI_CODE <> ''"));
}

RSIM_ON_EVERY_BACKEND(KeysAndBackups);

using SqliteFiles = KeysAndBackups;

TEST_P(SqliteFiles, AreItsUsersOnlyAndABackupDuringALargeCommitHoldsAllOrNoneOfItsCards)
{
    const std::string path = database_.substr(7), copy = path + ".backup";
    std::atomic<bool> committed{false};
    std::thread writer([&] {
        auto db = rsim::db::connect(database_);
        rsim::db::Transaction transaction(*db);
        for (int chunk = 0; chunk < 10; ++chunk)
            db->exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 9999) INSERT INTO rsim_sim (IMSI, SIM_ID, RES_CODE, VENDOR_CODE, "
                     "REGION_CODE, STS) SELECT printf('4600090%08d', ? * 10000 + i), "
                     "printf('89860090%011d', ? * 10000 + i), 'C64', 'V01', 10, 1 FROM n",
                     {std::int64_t{chunk}, std::int64_t{chunk}});
        transaction.commit();
        committed = true;
    });
    std::set<std::int64_t> seen;
    bool last = false;
    while (!last) {
        last = committed;
        std::string output;
        ASSERT_EQ(
            runRsimd("backup --db " + database_ + " --to " + copy + " --key-file " + key_, output),
            0)
            << output;
        seen.insert(rsim::db::asInt(
            rsim::db::connect("sqlite:" + copy)->scalar("SELECT COUNT(*) FROM rsim_sim")));
    }
    writer.join();
    for (const std::int64_t cards : seen)
        EXPECT_TRUE(cards == 200 || cards == 100200) << cards << " cards: part of a transaction";
    EXPECT_TRUE(seen.contains(200)) << "no copy was taken while the transaction was open";
    EXPECT_TRUE(seen.contains(100200));
    EXPECT_EQ(kisOpened("sqlite:" + copy, key_), 200);
    for (const auto& file : {path, path + "-wal", path + "-shm", key_, copy}) {
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 0777, 0600u) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteFiles, ::testing::Values(Backend::Sqlite),
                         [](const auto&) { return "Sqlite"; });

} // namespace
