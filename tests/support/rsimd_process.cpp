#include "rsimd_process.h"

#include "driver.h"
#include "secrets.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <vector>

namespace testsupport {

TemporaryFolder::TemporaryFolder()
{
    char folder[] = "/tmp/rsimd-test.XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        throw std::runtime_error("no temporary folder");
    path_ = folder;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool RsimdProcess::postgresAvailable()
{
    const char* server = std::getenv("RSIM_TEST_PG");
    return server != nullptr && *server != '\0';
}

std::string RsimdProcess::newPostgresDatabase()
{
    if (!postgresAvailable())
        throw std::runtime_error("RSIM_TEST_PG is not set");
    const char* server = std::getenv("RSIM_TEST_PG");
    std::random_device random;
    const std::string name = "rsim_test_" + std::to_string(random()) + std::to_string(::getpid());
    rsim::db::connect(server)->exec("CREATE DATABASE " + name);
    std::string address = server;
    return address.substr(0, address.rfind('/') + 1) + name;
}

ScratchDatabase::ScratchDatabase(RsimdProcess::Backend backend)
{
    address_ = backend == RsimdProcess::Backend::Sqlite ? "sqlite:" + folder_.path() + "/rsim.db"
                                                        : RsimdProcess::newPostgresDatabase();
}

RsimdProcess::RsimdProcess(Backend backend, int threads,
                           const std::vector<std::string>& extraArguments)
{
    database_ = backend == Backend::Sqlite ? "sqlite:" + folder_.path() + "/rsim.db"
                                           : newPostgresDatabase();
    launch(true, threads, extraArguments);
    if (!listening()) {
        stop();
        throw std::runtime_error("rsimd did not start on " + database_);
    }
}

RsimdProcess::RsimdProcess(std::string database, bool seed,
                           const std::vector<std::string>& extraArguments)
    : database_(std::move(database))
{
    launch(seed, 4, extraArguments);
}

void RsimdProcess::launch(bool seed, int threads, const std::vector<std::string>& extraArguments)
{
    // rsimd creates the key file only next to an SQLite database.
    rsim::secrets::SecretBox::fromKeyFile(keyFile(), true);
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("no pipe");
    const std::string key = keyFile();
    std::vector<const char*> arguments{
        "rsimd",      "--db",      database_.c_str(),  "--listen",   "127.0.0.1:0",
        "--key-file", key.c_str(), "--metrics-listen", "127.0.0.1:0"};
    if (seed)
        arguments.insert(arguments.end(), {"--seed", "demo"});
    const std::string threadCount = std::to_string(threads);
    if (threads > 0)
        arguments.insert(arguments.end(), {"--threads", threadCount.c_str()});
    for (const auto& argument : extraArguments)
        arguments.push_back(argument.c_str());
    arguments.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execv(RSIMD_PATH, const_cast<char* const*>(arguments.data()));
        std::_Exit(127);
    }
    ::close(out[1]);
    output_ = out[0];
}

bool RsimdProcess::listening()
{
    if (output_ < 0)
        return !address_.empty();
    FILE* stream = ::fdopen(output_, "r");
    output_ = -1;
    char line[512];
    while (address_.empty() && std::fgets(line, sizeof line, stream) != nullptr) {
        if (const char* at = std::strstr(line, "metrics on http://"))
            metricsPort_ = std::atoi(std::strrchr(at, ':') + 1);
        if (const char* at = std::strstr(line, "listening on http"))
            address_ = std::string(at + 13, std::strcspn(at + 13, " \n"));
    }
    std::fclose(stream);
    return !address_.empty();
}

RsimdProcess::~RsimdProcess()
{
    stop();
    if (output_ >= 0)
        ::close(output_);
}

int RsimdProcess::stop()
{
    if (pid_ <= 0)
        return status_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
}

std::int64_t RsimdProcess::number(const std::string& sql) const
{
    return rsim::db::asInt(rsim::db::connect(database_)->scalar(sql, {}));
}

const RsimdProcess& sharedRsimd()
{
    static const RsimdProcess service;
    return service;
}

int runRsimd(const std::string& arguments, std::string& output)
{
    FILE* pipe = ::popen((std::string(RSIMD_PATH) + " " + arguments + " 2>&1").c_str(), "r");
    std::array<char, 512> buffer{};
    output.clear();
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        output += buffer.data();
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> selfSignedTls(const std::string& folder)
{
    const std::string certificate = folder + "/cert.pem", key = folder + "/key.pem";
    if (std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                     "-addext subjectAltName=IP:127.0.0.1 -keyout " +
                     key + " -out " + certificate + " 2>/dev/null")
                        .c_str()) != 0)
        throw std::runtime_error("the openssl command could not make a certificate");
    return {"--tls-cert", certificate, "--tls-key", key};
}

} // namespace testsupport
