// Runs the rsimd binary for a test: on a fresh SQLite file, or on a fresh PostgreSQL database of
// the test server named by RSIM_TEST_PG, with the demo data; stopped when the object goes.
#pragma once

#include <string>

namespace testsupport {

class RsimdProcess {
public:
    enum class Backend { Sqlite, Postgres };

    // threads: rsimd's --threads; 0: rsimd's own default.
    explicit RsimdProcess(Backend backend = Backend::Sqlite, int threads = 4);
    ~RsimdProcess();
    RsimdProcess(const RsimdProcess&) = delete;
    RsimdProcess& operator=(const RsimdProcess&) = delete;

    // "http://127.0.0.1:PORT"
    const std::string& address() const { return address_; }
    const std::string& database() const { return database_; }
    std::string keyFile() const { return folder_ + "/rsim.key"; }
    // Sends SIGTERM and returns the exit status.
    int stop();

    // Whether PostgreSQL tests can run (RSIM_TEST_PG is set).
    static bool postgresAvailable();

private:
    std::string folder_;
    std::string database_;
    std::string address_;
    int pid_ = -1;
};

// Runs rsimd with the arguments and returns its exit status and what it wrote to stderr.
int runRsimd(const std::string& arguments, std::string& errors);

} // namespace testsupport
