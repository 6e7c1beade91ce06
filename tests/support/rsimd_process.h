// Runs the rsimd binary for a test: on a fresh SQLite file, or on a fresh PostgreSQL database of
// the test server named by RSIM_TEST_PG, with the demo data; stopped when the object goes.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

// A new folder under /tmp, removed with everything in it when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class RsimdProcess {
public:
    enum class Backend { Sqlite, Postgres };

    // On a fresh database with the demo data; throws when rsimd does not start.
    // threads: rsimd's --threads; 0: rsimd's own default. extraArguments go to rsimd after the
    // usual ones (--tls-cert …, --request-timeout …).
    explicit RsimdProcess(Backend backend = Backend::Sqlite, int threads = 4,
                          const std::vector<std::string>& extraArguments = {});
    // On the given database, with a key file of its own (unless extraArguments name another),
    // with or without the demo data; does not wait for it: listening() does.
    RsimdProcess(std::string database, bool seed,
                 const std::vector<std::string>& extraArguments = {});
    ~RsimdProcess();
    RsimdProcess(const RsimdProcess&) = delete;
    RsimdProcess& operator=(const RsimdProcess&) = delete;

    // "http://127.0.0.1:PORT" (https:// with --tls-cert)
    const std::string& address() const { return address_; }
    int port() const { return std::stoi(address_.substr(address_.rfind(':') + 1)); }
    // The port of /metrics (0: none, as with --no-metrics).
    int metricsPort() const { return metricsPort_; }
    const std::string& database() const { return database_; }
    std::string keyFile() const { return folder_.path() + "/rsim.key"; }
    int pid() const { return pid_; }
    // Waits until rsimd listens (true) or exits (false, with its exit status from stop()).
    bool listening();
    // Sends SIGTERM and returns the exit status.
    int stop();
    // The single number a statement answers in its database.
    std::int64_t number(const std::string& sql) const;

    // Whether PostgreSQL tests can run (RSIM_TEST_PG is set and not empty).
    static bool postgresAvailable();
    // The address of a new, empty database on the test PostgreSQL server.
    static std::string newPostgresDatabase();

private:
    void launch(bool seed, int threads, const std::vector<std::string>& extraArguments = {});

    TemporaryFolder folder_;
    std::string database_;
    std::string address_;
    int pid_ = -1;
    int metricsPort_ = 0;
    int output_ = -1;
    int status_ = -1;
};

// Names the backend in test names and failure messages.
inline void PrintTo(RsimdProcess::Backend backend, std::ostream* out)
{
    *out << (backend == RsimdProcess::Backend::Sqlite ? "SQLite" : "PostgreSQL");
}

// A new, empty database for a test: a file in a folder of its own, or a database of its own on
// the test PostgreSQL server. The folder goes with the object; a PostgreSQL database stays.
class ScratchDatabase {
public:
    explicit ScratchDatabase(RsimdProcess::Backend backend);

    // "sqlite:PATH" or "postgresql://…"
    const std::string& address() const { return address_; }
    const std::string& folder() const { return folder_.path(); }

private:
    TemporaryFolder folder_;
    std::string address_;
};

// The test program's rsimd on SQLite with the demo data: started on first use, stopped at exit.
const RsimdProcess& sharedRsimd();

// rsimd's arguments to serve HTTPS with a self-signed certificate for 127.0.0.1, made in the
// folder with the openssl command (cert.pem, key.pem); throws when the command fails.
std::vector<std::string> selfSignedTls(const std::string& folder);

// Runs rsimd with the arguments and returns its exit status and what it wrote.
int runRsimd(const std::string& arguments, std::string& output);

} // namespace testsupport
