// Secrets at rest, key files, password hashes, session tokens; rotation is tried end to end in
// keys_and_backups_test.
#include "rsimd_process.h"
#include "secrets.h"
#include "thrown.h"

#include <gtest/gtest.h>

#include <fstream>

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
        std::ofstream(path) << "# keys of the test\n" + key + bad;
        EXPECT_TRUE(refuses([&] { SecretBox::fromKeyFile(path, true); }, "malformed line 3"))
            << bad;
    }
    std::ofstream(path) << "# no key here\n";
    EXPECT_TRUE(refuses([&] { SecretBox::fromKeyFile(path, true); }, "holds no key"));
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
