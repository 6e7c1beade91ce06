// rsimd's start beside a cluster that fails over, and replicas that start together.
#include "loopback_port.h"
#include "rsimd_process.h"
#include "secrets.h"
#include "startup.h"
#include "thrown.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

namespace {

// Two replicas started with the demo data on a database that has it: each takes the demo
// operators' rights away and grants them again, which two at once would store twice.
TEST(DatabaseStartup, ReplicasStartingTogetherPrepareTheDatabaseOneAtATime)
{
    if (!testsupport::RsimdProcess::postgresAvailable())
        GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL server for this run";
    const std::string database = testsupport::RsimdProcess::newPostgresDatabase();
    const testsupport::TemporaryFolder folder;
    const std::string keyFile = folder.path() + "/rsim.key";
    rsim::secrets::SecretBox::fromKeyFile(keyFile, true);
    rsimd::prepareDatabase(*rsimd::connectForStartup(database), database, keyFile, true);

    constexpr int kReplicas = 2, kStarts = 3;
    for (int start = 0; start < kStarts; ++start) {
        std::latch together(kReplicas);
        std::vector<std::string> failures(kReplicas);
        std::vector<std::thread> replicas;
        for (int r = 0; r < kReplicas; ++r)
            replicas.emplace_back([&, r] {
                together.arrive_and_wait();
                failures[r] = testsupport::thrownMessage<std::runtime_error>([&] {
                    rsimd::prepareDatabase(*rsimd::connectForStartup(database), database, keyFile,
                                           true);
                });
            });
        for (auto& replica : replicas)
            replica.join();
        ASSERT_EQ(failures, std::vector<std::string>(kReplicas, "no error")) << "start " << start;
    }
}

// While no server takes writes (none answers, or only a standby does, as during a failover),
// rsimd ends with the status after which the service manager starts it again.
TEST(DatabaseStartup, NoDatabaseToWriteToEndsWithTheStatusToStartAgain)
{
    const testsupport::LoopbackPort closed(testsupport::LoopbackPort::Behaviour::Closed);
    const std::string port = closed.address().substr(closed.address().rfind(':') + 1);
    std::vector<std::pair<std::string, std::string>> databases{
        {"postgresql://rsim@127.0.0.1:" + port + "/rsim",
         "cannot connect to PostgreSQL at 'postgresql://rsim@127.0.0.1:" + port}};
    if (testsupport::RsimdProcess::postgresAvailable()) {
        const std::string readOnly = testsupport::RsimdProcess::newPostgresDatabase();
        const std::string name = readOnly.substr(readOnly.rfind('/') + 1);
        rsim::db::connect(readOnly)->exec("ALTER DATABASE " + name +
                                          " SET default_transaction_read_only = on");
        databases.emplace_back(readOnly, "read-only transaction");
    }
    const testsupport::TemporaryFolder folder;
    for (const auto& [database, said] : databases) {
        std::string errors;
        EXPECT_EQ(testsupport::runRsimd("--listen 127.0.0.1:0 --key-file " + folder.path() +
                                            "/k --db " + database,
                                        errors),
                  rsimd::kDatabaseUnavailable)
            << errors;
        EXPECT_NE(errors.find(said), std::string::npos) << errors;
    }
}

} // namespace
