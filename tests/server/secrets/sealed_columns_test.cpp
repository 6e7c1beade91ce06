// The sealed values of a database: the key file that opens them, the key version it seals under,
// and sealing in place what an older rsimd left; on SQLite and PostgreSQL. Re-sealing under a new
// key is tried end to end in keys_and_backups_test.
#include "backend_fixture.h"
#include "schema.h"
#include "sealed_columns.h"
#include "thrown.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <filesystem>
#include <fstream>

using namespace rsim::secrets;
using rsim::db::Row;

namespace {

const std::vector<SealedColumn> kColumns{{"t_card", "KI", {"IMSI", "SEQ"}, "", false},
                                         {"t_card", "PWD", {"IMSI", "SEQ"}, "SEQ <> 9", true}};

class SealedColumns : public testsupport::DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped())
            return;
        rsim::db::migrate(*db_, rsim::db::schemaMigrations());
        db_->exec("CREATE TABLE t_card (IMSI TEXT NOT NULL, SEQ BIGINT NOT NULL, KI TEXT, "
                  "PWD TEXT, PRIMARY KEY (IMSI, SEQ))");
        folder_ = database_->folder();
        keyFile_ = (folder_ / "rsim.key").string();
    }

    void insert(const std::string& imsi, std::int64_t seq, const std::string& ki,
                const std::string& pwd = "")
    {
        db_->exec("INSERT INTO t_card (IMSI, SEQ, KI, PWD) VALUES (?, ?, ?, ?)",
                  {imsi, seq, ki, pwd});
    }
    // Cards 1..count with their KI sealed in place.
    void insertSealed(const SecretBox& box, int count)
    {
        for (int i = 1; i <= count; ++i)
            insert(imsi(i), i, box.encrypt(ki(i), place("KI", i)));
    }
    std::string stored(const std::string& column, int i)
    {
        return text("SELECT " + column + " FROM t_card WHERE IMSI = ?", {imsi(i)});
    }
    static std::string imsi(int i) { return "46000" + std::to_string(1000000000 + i); }
    static std::string ki(int i) { return "KI-" + std::to_string(i); }
    static Place place(const std::string& column, int i)
    {
        return {"t_card", column, {imsi(i), std::to_string(i)}};
    }

    std::filesystem::path folder_;
    std::string keyFile_;
};

TEST_P(SealedColumns, AKeyFileIsMadeOnlyForADatabaseWithoutSealedValues)
{
    insert(imsi(0), 0, "");
    const SecretBox made = openKeyFile(*db_, kColumns, keyFile_, true);
    ASSERT_TRUE(std::filesystem::exists(keyFile_));
    insertSealed(made, 3);

    const std::string other = (folder_ / "other.key").string();
    SecretBox::fromKeyFile(other, true);
    const std::string newer = (folder_ / "newer.key").string();
    std::ofstream(newer) << "v2 AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n";
    std::filesystem::permissions(newer, std::filesystem::perms::owner_read);
    std::filesystem::rename(keyFile_, folder_ / "moved.key");
    const struct {
        std::string file;
        std::string refusal;
    } refused[] = {
        {keyFile_, "the key file '" + keyFile_ + "' does not exist"},
        {other, "the key file '" + other + "' opens none of the sealed values"},
        {newer, "sealed under key version v1, which the key file '" + newer + "' does not hold"},
    };
    for (const auto& [file, refusal] : refused) {
        const std::string message = testsupport::thrownMessage<SecretError>(
            [&] { openKeyFile(*db_, kColumns, file, true); });
        EXPECT_NE(message.find(refusal), std::string::npos) << message;
    }
    EXPECT_FALSE(std::filesystem::exists(keyFile_)) << "a new key was made over sealed values";
    EXPECT_EQ(openKeyFile(*db_, kColumns, (folder_ / "moved.key").string(), false)
                  .decrypt(stored("KI", 2), place("KI", 2)),
              ki(2));
}

// A value sealed without its place, as an older rsimd did.
std::string unplaced(const std::string& plain, const unsigned char* key)
{
    EXPECT_GE(sodium_init(), 0);
    std::vector<unsigned char> sealed(crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + plain.size() +
                                      crypto_aead_xchacha20poly1305_ietf_ABYTES);
    randombytes_buf(sealed.data(), crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        sealed.data() + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES, nullptr,
        reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), nullptr, 0, nullptr,
        sealed.data(), key);
    std::string text(sodium_base64_encoded_len(sealed.size(), sodium_base64_VARIANT_ORIGINAL), 0);
    sodium_bin2base64(text.data(), text.size(), sealed.data(), sealed.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    return "v1:" + std::string(text.c_str());
}

TEST_P(SealedColumns, ValuesLeftInPlainOrWithoutTheirPlaceAreSealedInPlaceOnce)
{
    const unsigned char key[32] = {7};
    std::ofstream(keyFile_) << "v1 BwAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n";
    std::filesystem::permissions(keyFile_, std::filesystem::perms::owner_read);
    insert(imsi(1), 1, unplaced(ki(1), key), "pwd-1");
    insert(imsi(2), 2, unplaced(ki(2), key));
    insert(imsi(9), 9, "", "not secret in row 9");
    const SecretBox box = openKeyFile(*db_, kColumns, keyFile_, false);

    EXPECT_EQ(sealInPlace(*db_, kColumns, box), 3);
    EXPECT_EQ(box.decrypt(stored("KI", 1), place("KI", 1)), ki(1));
    EXPECT_EQ(box.decrypt(stored("KI", 2), place("KI", 2)), ki(2));
    EXPECT_EQ(box.decrypt(stored("PWD", 1), place("PWD", 1)), "pwd-1");
    EXPECT_EQ(stored("PWD", 9), "not secret in row 9");
    EXPECT_EQ(sealInPlace(*db_, kColumns, box), 0);

    // Written by hand after that: a plain KI stays as it is, since only rsimd writes that column
    // and it is not scanned again; the column sealed at every start seals a plain value, but does
    // not give its place to one copied in from an old backup.
    insert(imsi(3), 3, "plain-3", unplaced("pwd-1", key));
    insert(imsi(4), 4, "", "pwd-4");
    EXPECT_EQ(sealInPlace(*db_, kColumns, box), 1);
    EXPECT_EQ(stored("KI", 3), "plain-3");
    EXPECT_TRUE(stored("PWD", 3).starts_with("v1:"));
    EXPECT_EQ(box.decrypt(stored("PWD", 4), place("PWD", 4)), "pwd-4");
}

// A replica whose key file lacks the version a rekey raised the database to seals nothing until
// the new key file is copied to it, and then reads it without a restart.
TEST_P(SealedColumns, ASealingTransactionTakesUpTheDatabasesKeyVersionOrRefuses)
{
    const SecretBox replica = SecretBox::fromKeyFile(keyFile_, true);
    const std::string rekeyed = (folder_ / "rekeyed.key").string();
    std::filesystem::copy_file(keyFile_, rekeyed);
    SecretBox rekeying = SecretBox::fromKeyFile(rekeyed, false);
    rekeying.addKey();
    raiseKeyVersion(*db_, rekeying);
    {
        const rsim::db::Transaction sealing(*db_);
        const std::string message =
            testsupport::thrownMessage<SecretError>([&] { takeUpKeyVersion(*db_, replica); });
        EXPECT_NE(
            message.find("key version v2, which the key file '" + keyFile_ + "' does not hold"),
            std::string::npos)
            << message;
    }
    std::filesystem::copy_file(rekeyed, keyFile_,
                               std::filesystem::copy_options::overwrite_existing);
    const rsim::db::Transaction sealing(*db_);
    takeUpKeyVersion(*db_, replica);
    EXPECT_TRUE(replica.encrypt(ki(1), place("KI", 1)).starts_with("s2:"));
}

RSIM_ON_EVERY_BACKEND(SealedColumns);

} // namespace
