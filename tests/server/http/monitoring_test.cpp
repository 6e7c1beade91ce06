// rsimd as its operators watch it: the health answer a load balancer checks, on SQLite and
// PostgreSQL, when the database goes away or hangs and while the service stops.
#include "raw_http.h"
#include "rsimd_process.h"
#include "schema.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace rawhttp;
using Backend = testsupport::RsimdProcess::Backend;

class Monitoring : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override { start(GetParam()); }
    void start(Backend backend)
    {
        if (backend == Backend::Postgres && !testsupport::RsimdProcess::postgresAvailable())
            GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL server for this run";
        server_ = std::make_unique<testsupport::RsimdProcess>(backend);
    }

    HttpAnswer exchange(const std::string& request)
    {
        Socket socket(server_->port());
        socket.send(request);
        return socket.read();
    }

    std::unique_ptr<testsupport::RsimdProcess> server_;
};

TEST_P(Monitoring, HealthAnswersTheSchemaVersionUntilTheDatabaseIsGone)
{
    const HttpAnswer healthy = exchange(get("/v1/health"));
    ASSERT_EQ(healthy.status, 200) << healthy.body;
    EXPECT_EQ(healthy.document().value("schemaVersion", 0),
              rsim::db::schemaMigrations().back().version);

    if (GetParam() == Backend::Sqlite) {
        const std::string file = server_->database().substr(7);
        std::filesystem::resize_file(file, 0);
        std::filesystem::resize_file(file + "-wal", 0);
    } else {
        const std::string& address = server_->database();
        rsim::db::connect(std::getenv("RSIM_TEST_PG"))
            ->exec("DROP DATABASE " + address.substr(address.rfind('/') + 1) + " WITH (FORCE)");
    }
    const HttpAnswer gone = exchange(get("/v1/health"));
    EXPECT_EQ(gone.status, 503) << gone.body;
    EXPECT_EQ(gone.message(), "数据库没有及时应答");
    EXPECT_EQ(exchange(post("/v1/health", "{}")).status, 405);
}

// An SQLite reader in WAL mode waits for no writer: a lock held in PostgreSQL makes it hang.
class MonitoringOnPostgres : public Monitoring {
protected:
    void SetUp() override { start(Backend::Postgres); }
};

TEST_F(MonitoringOnPostgres, HealthIsA503WithinItsSecondWhileTheDatabaseHangs)
{
    const auto locker = rsim::db::connect(server_->database());
    locker->begin();
    locker->exec("LOCK TABLE schema_version IN ACCESS EXCLUSIVE MODE");
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(get("/v1/health")).status, 503);
    EXPECT_EQ(exchange(get("/v1/health")).status, 503) << "while the first check still hangs";
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5))
        << "a hanging database holds the check's thread, not the answer";
    locker->rollback();
    int status = 0;
    for (int tries = 0; tries < 50 && status != 200; ++tries) {
        status = exchange(get("/v1/health")).status;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(status, 200) << "healthy again once the database answers";
}

TEST_P(Monitoring, HealthIsA503OnceTheServiceIsStopping)
{
    Socket checking(server_->port());
    checking.send("GET /v1/health HTTP/1.1\r\n");
    ::kill(server_->pid(), SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    checking.send("Host: x\r\n\r\n");
    EXPECT_EQ(checking.read().status, 503) << "a balancer drains a stopping replica";
}

INSTANTIATE_TEST_SUITE_P(Backends, Monitoring,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
