// The command line of rsimd.
#include "options.h"

#include <gtest/gtest.h>

namespace {

using rsim::Options;
using rsim::parseOptions;

TEST(Options, DefaultsServeTheEmbeddedDatabaseWithItsKeyBesideIt)
{
    const Options options = parseOptions({});
    EXPECT_EQ(options.database, "sqlite:var/rsim.db");
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, 7411);
    EXPECT_EQ(options.keyFile, "var/rsim.key");
    EXPECT_TRUE(options.createKey);
    EXPECT_FALSE(options.seedDemo);
}

TEST(Options, EveryOptionIsRead)
{
    const Options options = parseOptions({"--db", "sqlite:/data/r.db", "--listen", "[::1]:0", "--seed", "demo",
                                          "--threads", "3", "--key-file", "/keys/k"});
    EXPECT_EQ(options.database, "sqlite:/data/r.db");
    EXPECT_EQ(options.host, "::1");
    EXPECT_EQ(options.port, 0);
    EXPECT_TRUE(options.seedDemo);
    EXPECT_EQ(options.threads, 3);
    EXPECT_EQ(options.keyFile, "/keys/k");
    EXPECT_EQ(parseOptions({"--db", "sqlite:r.db"}).keyFile, "rsim.key");
}

TEST(Options, PostgresqlNeedsANamedKeyFileCreatedOnlyWhenAsked)
{
    const std::string database = "postgresql://rsim@db:5432/rsim";
    EXPECT_FALSE(parseOptions({"--db", database, "--key-file", "/k"}).createKey);
    EXPECT_TRUE(parseOptions({"--db", database, "--key-file", "/k", "--create-key"}).createKey);
}

TEST(Options, BadArgumentsAreNamed)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--db"}, "--db needs a value"},
        {{"--threads", "0"}, "--threads must be a number from 1 to 256, not '0'"},
        {{"--threads", "257"}, "--threads must be a number from 1 to 256, not '257'"},
        {{"--threads", "4x"}, "--threads must be a number from 1 to 256, not '4x'"},
        {{"--listen", "7411"}, "--listen must be HOST:PORT (e.g. 127.0.0.1:7411), not '7411'"},
        {{"--listen", "localhost:65536"}, "--listen port must be a number from 0 to 65535, not '65536'"},
        {{"--listen", "localhost:"}, "--listen port must be a number from 0 to 65535, not ''"},
        {{"--seed", "all"}, "--seed takes only 'demo', not 'all'"},
        {{"--db", "postgresql://db/rsim"}, "--key-file is required with postgresql://db/rsim"},
        {{"--db", "sqlite::memory:"}, "an in-memory database cannot be shared by the worker threads: use sqlite:PATH"},
    };
    for (const auto& c : cases) {
        try {
            parseOptions(c.arguments);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const rsim::UsageError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0U) << e.what();
        }
    }
}

} // namespace
