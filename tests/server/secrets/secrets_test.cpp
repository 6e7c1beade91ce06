// Secrets at rest, key files, password hashes, session tokens; rotation is tried end to end in
// keys_and_backups_test.
#include "rsimd_process.h"
#include "secrets.h"
#include "thrown.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <latch>
#include <optional>
#include <thread>

using rsim::secrets::Place;
using rsim::secrets::SecretBox;
using rsim::secrets::SecretError;

namespace {

// Whether the action throws a SecretError whose message mentions the part.
template <class Action>
bool refuses(Action&& action, const std::string& part)
{
    return testsupport::thrownMessage<SecretError>(action).find(part) != std::string::npos;
}

const Place kCardA{"rsim_sim", "KI_CODE", {"460001234567890"}};

// A key file as an operator writes it, readable by its owner only.
void writeKeyFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
}

TEST(SecretBox, SealsEachValueWithAFreshNonceAndOpensItOnlyInItsPlaceUnaltered)
{
    const SecretBox box = SecretBox::withRandomKey();
    const std::string ki = "0123456789ABCDEF0123456789abcdef";
    const std::string first = box.encrypt(ki, kCardA);
    const std::string second = box.encrypt(ki, kCardA);

    EXPECT_TRUE(first.starts_with("s1:")) << first;
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find(ki), std::string::npos);
    EXPECT_EQ(box.decrypt(first, kCardA), ki);
    EXPECT_EQ(box.decrypt(second, kCardA), ki);
    EXPECT_EQ(box.decrypt(box.encrypt("密钥 KEY00001", kCardA), kCardA), "密钥 KEY00001");
    EXPECT_EQ(box.encrypt("", kCardA), "");
    EXPECT_EQ(box.decrypt("", kCardA), "");

    const std::string& sealed = first;
    const std::vector<Place> elsewhere{
        {"rsim_sim", "KI_CODE", {"460001234567891"}}, // another card
        {"rsim_sim", "KI_KEY", {"460001234567890"}},  // another column of the card
        {"rsim_auc_info", "KI_CODE", {"460001234567890"}},
        {"rsim_sim", "KI_CODE", {"46000123456789", "0"}}, // the same characters keyed otherwise
        {"rsim_sim", "KI_CODE", {}},
    };
    for (const auto& place : elsewhere)
        EXPECT_TRUE(refuses([&] { box.decrypt(sealed, place); }, "failed authentication"))
            << place.table << "." << place.column;
    std::string altered = sealed;
    altered[10] = altered[10] == 'A' ? 'B' : 'A';
    EXPECT_TRUE(refuses([&] { box.decrypt(altered, kCardA); }, "failed authentication"));
    EXPECT_TRUE(refuses([&] { SecretBox::withRandomKey().decrypt(sealed, kCardA); },
                        "failed authentication"));
    EXPECT_TRUE(refuses([&] { box.decrypt("s7:" + sealed.substr(3), kCardA); }, "key version v7"));
    // Base64 is strict: no white space around it, '=' only as its padding.
    using namespace std::string_literals;
    for (const std::string& malformed :
         {"0123456789ABCDEF"s, "s:abc"s, "sx:abc"s, "s1:***"s, "s1:"s, "v1:abc"s, sealed + "    ",
          std::string(sealed).replace(10, 1, "=")})
        EXPECT_TRUE(refuses([&] { box.decrypt(malformed, kCardA); }, "a stored secret is"))
            << malformed;
}

TEST(KeyFile, NamesItsMalformedLine)
{
    const testsupport::TemporaryFolder folder;
    const std::string path = folder.path() + "/rsim.key";
    const std::string key = "v1 AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n";
    for (const std::string& bad : std::vector<std::string>{
             "v2 c2hvcnQ=\n", "2 AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n", key,
             "v2 !!!\n"}) {
        writeKeyFile(path, "# keys of the test\n" + key + bad);
        EXPECT_TRUE(refuses([&] { SecretBox::fromKeyFile(path, true); }, "malformed line 3"))
            << bad;
    }
    writeKeyFile(path, "# no key here\n");
    EXPECT_TRUE(refuses([&] { SecretBox::fromKeyFile(path, true); }, "holds no key"));

    // Edited by hand and saved without its last newline: the next key gets a line of its own.
    writeKeyFile(path, key.substr(0, key.size() - 1));
    SecretBox::fromKeyFile(path, false).addKey();
    EXPECT_TRUE(SecretBox::fromKeyFile(path, false).holdsVersion(2));
}

TEST(KeyFile, IsRefusedWhenOthersMayReadItOrOthersThanItsOwnerWriteIt)
{
    const testsupport::TemporaryFolder folder;
    const std::string path = folder.path() + "/rsim.key";
    SecretBox::fromKeyFile(path, true);
    for (const mode_t mode : {0644, 0604, 0620, 0660})
        EXPECT_TRUE(::chmod(path.c_str(), mode) == 0 &&
                    refuses([&] { SecretBox::fromKeyFile(path, false); },
                            "has mode 0" + std::to_string(mode / 64) +
                                std::to_string(mode / 8 % 8) + std::to_string(mode % 8)))
            << std::oct << mode;
    for (const mode_t mode : {0400, 0440, 0640}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        EXPECT_EQ(SecretBox::fromKeyFile(path, false).newestVersion(), 1) << std::oct << mode;
    }
}

TEST(KeyFile, MadeByTwoProcessesAtOnceIsOneKey)
{
    const testsupport::TemporaryFolder folder;
    const Place place = kCardA;
    for (int round = 0; round < 20; ++round) {
        const std::string path = folder.path() + "/rsim" + std::to_string(round) + ".key";
        std::latch start(2);
        std::optional<SecretBox> first, second;
        std::thread other([&] {
            start.arrive_and_wait();
            second = SecretBox::fromKeyFile(path, true);
        });
        start.arrive_and_wait();
        first = SecretBox::fromKeyFile(path, true);
        other.join();
        ASSERT_EQ(second->decrypt(first->encrypt("KI", place), place), "KI") << "round " << round;
    }
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
