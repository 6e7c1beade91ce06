// Secrets at rest, key files and rotation, password hashes, session tokens.
#include "secrets.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

using rsim::secrets::SecretBox;
using rsim::secrets::SecretError;

namespace {

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const SecretError& e) {
        return e.what();
    }
    return "no error";
}

bool mentions(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class KeyFile : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void write(const std::string& text) { std::ofstream(path_) << text; }

    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("rsim-keys-" + std::to_string(::getpid()));
    std::string path_ = (folder_ / "rsim.key").string();

    void SetUp() override { std::filesystem::create_directories(folder_); }
};

TEST(SecretBox, SealsEachValueWithAFreshNonceAndOpensIt)
{
    const SecretBox box = SecretBox::withRandomKey();
    const std::string ki = "0123456789ABCDEF0123456789abcdef";
    const std::string first = box.encrypt(ki);
    const std::string second = box.encrypt(ki);

    EXPECT_TRUE(first.starts_with("v1:")) << first;
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find(ki), std::string::npos);
    EXPECT_EQ(box.decrypt(first), ki);
    EXPECT_EQ(box.decrypt(second), ki);
    EXPECT_EQ(box.decrypt(box.encrypt("密钥 KEY00001")), "密钥 KEY00001");
}

TEST(SecretBox, KeepsEmptyTextEmpty)
{
    const SecretBox box = SecretBox::withRandomKey();
    EXPECT_EQ(box.encrypt(""), "");
    EXPECT_EQ(box.decrypt(""), "");
}

TEST(SecretBox, RefusesAlteredForeignAndMalformedValues)
{
    const SecretBox box = SecretBox::withRandomKey();
    std::string altered = box.encrypt("0123456789ABCDEF0123456789ABCDEF");
    altered[10] = altered[10] == 'A' ? 'B' : 'A';

    EXPECT_TRUE(mentions(errorOf([&] { box.decrypt(altered); }), "failed authentication"));
    EXPECT_TRUE(mentions(errorOf([&] { SecretBox::withRandomKey().decrypt(box.encrypt("x")); }),
                         "failed authentication"));
    EXPECT_TRUE(mentions(errorOf([&] { box.decrypt("v7:" + box.encrypt("x").substr(3)); }),
                         "key version v7"));
    for (const char* malformed : {"0123456789ABCDEF", "v:abc", "vx:abc", "v1:***", "v1:"})
        EXPECT_TRUE(mentions(errorOf([&] { box.decrypt(malformed); }), "a stored secret is"))
            << malformed;
}

TEST_F(KeyFile, IsCreatedPrivateWhenMissingAndReadBack)
{
    const SecretBox created = SecretBox::fromKeyFile(path_, true);
    const std::string sealed = created.encrypt("secret");

    EXPECT_EQ(std::filesystem::status(path_).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(SecretBox::fromKeyFile(path_, false).decrypt(sealed), "secret");
}

TEST_F(KeyFile, IsNotCreatedUnlessAllowed)
{
    EXPECT_TRUE(mentions(errorOf([&] { SecretBox::fromKeyFile(path_, false); }),
                         "'" + path_ + "' does not exist"));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(KeyFile, RotatesKeysAndStillOpensOldValues)
{
    SecretBox box = SecretBox::fromKeyFile(path_, true);
    const std::string old = box.encrypt("old value");
    box.addKey();
    const std::string fresh = box.encrypt("new value");

    EXPECT_TRUE(fresh.starts_with("v2:")) << fresh;
    const SecretBox reloaded = SecretBox::fromKeyFile(path_, false);
    EXPECT_EQ(reloaded.newestVersion(), 2);
    EXPECT_EQ(reloaded.decrypt(old), "old value");
    EXPECT_EQ(reloaded.decrypt(fresh), "new value");
}

TEST_F(KeyFile, NamesItsMalformedLine)
{
    const std::string key = "v1 AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n";
    for (const std::string& bad : std::vector<std::string>{
             "v2 c2hvcnQ=\n", "2 AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n", key,
             "v2 !!!\n"}) {
        write("# keys of the test\n" + key + bad);
        EXPECT_TRUE(
            mentions(errorOf([&] { SecretBox::fromKeyFile(path_, true); }), "malformed line 3"))
            << bad;
    }
    write("# no key here\n");
    EXPECT_TRUE(mentions(errorOf([&] { SecretBox::fromKeyFile(path_, true); }), "holds no key"));
}

TEST(Password, HashesAreSaltedAndVerifyOnlyTheRightPassword)
{
    const std::string hash = rsim::secrets::hashPassword("admin123");

    EXPECT_TRUE(hash.starts_with("$argon2id$")) << hash;
    EXPECT_NE(hash, rsim::secrets::hashPassword("admin123"));
    EXPECT_TRUE(rsim::secrets::verifyPassword(hash, "admin123"));
    EXPECT_FALSE(rsim::secrets::verifyPassword(hash, "admin124"));
    EXPECT_FALSE(rsim::secrets::verifyPassword(hash, ""));
    EXPECT_FALSE(rsim::secrets::verifyPassword("not a hash", "admin123"));
}

TEST(Token, Is64HexDigitsAndNeverRepeats)
{
    const std::string token = rsim::secrets::newToken();
    EXPECT_EQ(token.size(), 64u);
    EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(token, rsim::secrets::newToken());
}

} // namespace
