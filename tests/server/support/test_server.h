// A real rsimd service in the test's own process, on a fresh database holding the demo data
// (regions, operators admin/admin123 with every right and viewer/viewer123 with queries only,
// code lists, system parameters, and the demo rows of every remote-SIM table).
//
//     #include "test_server.h"                   // CMake: link rsimtestserver
//
//     rsim::test::TestServer server;             // SQLite in a fresh temporary folder
//     ASSERT_TRUE(server.login("admin", "admin123"));   // the middleware's process session
//     MResRemoteMgntApp::IResRemoteMgnt remote;
//     ASSERT_EQ(remote.bind_tavBroker("TAVORINE"), 0);  // TAV_BROKER_TAVORINE = server.address()
//     … calls …
//     auto db = server.connect();                // a driver of its own, to look at stored rows
//
// A server starts in a few milliseconds: the demo database (schema, demo data, KI key) is built
// once per build of the test program (about 0.3 s) into /tmp/rsim-test-cache, and each server
// starts from a copy of it.
// TestServer(Backend::Postgres) runs on a database of its own on the PostgreSQL server named by
// RSIM_TEST_PG (created from a template database, dropped when the server goes); skip such tests
// with TestServer::skipReason(backend) when it is not set. The server stops (finishing the calls
// in progress) and its database is removed when the object goes, or at stop().
//
// The constructor throws std::runtime_error saying why when the service cannot start. It sets
// SIGPIPE to be ignored, as rsimd does, so that a client closing its connection early does not
// end the test program.
#pragma once

#include "driver.h"

#include <cstddef>
#include <memory>
#include <string>
#include <thread>

struct CBSErrorMsg;

namespace rsim {
class ServiceHost;
}

namespace rsim::test {

enum class Backend { Sqlite, Postgres };

struct TestServerOptions {
    Backend backend = Backend::Sqlite;
    bool demoData = true;              // false: the schema only, no rows, no operators
    int threads = 4;
    std::size_t maxBodyBytes = std::size_t{512} << 20;
    std::string brokerName = "TAVORINE"; // TAV_BROKER_<NAME> is set to the address; "": not set
};

class TestServer {
public:
    explicit TestServer(Backend backend = Backend::Sqlite);
    explicit TestServer(const TestServerOptions& options);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // "http://127.0.0.1:PORT"
    const std::string& address() const { return address_; }
    // The database address ("sqlite:/tmp/…/rsim.db" or "postgresql://…/rsim_t_…").
    const std::string& database() const { return database_; }
    // The KI key file the service encrypts with.
    const std::string& keyFile() const { return keyFile_; }
    std::unique_ptr<db::Driver> connect() const { return db::connect(database_); }

    // Logs in through the middleware (tvd_login at this server), making the session the
    // process session of every later call. False on a refusal, with the error record filled.
    bool login(const std::string& loginName, const std::string& password, CBSErrorMsg* error = nullptr) const;

    // Stops the service and removes its database; done by the destructor when not called.
    void stop();

    // Why tests of a backend cannot run here ("" when they can): PostgreSQL needs RSIM_TEST_PG.
    static std::string skipReason(Backend backend);

private:
    TestServerOptions options_;
    std::string folder_;
    std::string database_;
    std::string postgresName_; // the database of its own on the PostgreSQL server
    std::string keyFile_;
    std::string address_;
    std::unique_ptr<ServiceHost> host_;
    std::thread serving_;
};

} // namespace rsim::test
