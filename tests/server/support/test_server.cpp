#include "test_server.h"

#include "host.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_client.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rsim::test {
namespace {

namespace fs = std::filesystem;

const fs::path kCacheRoot = "/tmp/rsim-test-cache";

// Names the demo database of this build of the test program: rebuilding the program (and with
// it the schema and the demo data it links) gives a new name.
std::string templateName(const TestServerOptions& options)
{
    struct stat program {};
    if (::stat("/proc/self/exe", &program) != 0)
        throw std::runtime_error("cannot read /proc/self/exe");
    const std::string identity = std::to_string(program.st_size) + "/" + std::to_string(program.st_mtim.tv_sec) + "." +
                                 std::to_string(program.st_mtim.tv_nsec) + "/" + (options.demoData ? "demo" : "empty");
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016zx", std::hash<std::string>{}(identity));
    return std::string(options.backend == Backend::Sqlite ? "sqlite_" : "pg_") + hex;
}

std::string randomHex()
{
    std::random_device random;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%08x%08x", random(), random());
    return hex;
}

// Held while a test program builds or checks a template, so that parallel test programs build
// each template once.
class CacheLock {
public:
    explicit CacheLock(const std::string& name)
    {
        fs::create_directories(kCacheRoot);
        fd_ = ::open((kCacheRoot / (name + ".lock")).c_str(), O_CREAT | O_RDWR, 0644);
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
            throw std::runtime_error("cannot lock " + (kCacheRoot / name).string());
    }
    ~CacheLock() { ::close(fd_); }

private:
    int fd_ = -1;
};

// Templates of older builds of the test programs, untouched for two days, are removed when a
// new one is built.
void pruneCache()
{
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(kCacheRoot, ignored))
        if (entry.last_write_time(ignored) < old)
            fs::remove_all(entry.path(), ignored);
}

void fill(db::Driver& db, const std::string& keyFile, bool demoData)
{
    prepareDatabase(db, secrets::SecretBox::fromKeyFile(keyFile, true), demoData);
}

// The folder of the template SQLite database and its key, built when missing.
fs::path sqliteTemplate(const TestServerOptions& options)
{
    const std::string name = templateName(options);
    const fs::path folder = kCacheRoot / name;
    CacheLock lock(name);
    if (fs::exists(folder / "ready")) {
        fs::last_write_time(folder, fs::file_time_type::clock::now()); // in use: not pruned
        return folder;
    }
    pruneCache();
    const fs::path building = kCacheRoot / (name + ".building");
    fs::remove_all(building);
    fs::create_directories(building);
    fill(*db::connect("sqlite:" + (building / "rsim.db").string()), (building / "rsim.key").string(), options.demoData);
    std::FILE* ready = std::fopen((building / "ready").c_str(), "w");
    std::fclose(ready);
    fs::remove_all(folder);
    fs::rename(building, folder);
    return folder;
}

std::string postgresServer()
{
    const char* server = std::getenv("RSIM_TEST_PG");
    if (server == nullptr || *server == '\0')
        throw std::runtime_error(TestServer::skipReason(Backend::Postgres));
    return server;
}

// The address of another database on the same PostgreSQL server.
std::string postgresDatabase(const std::string& server, const std::string& name)
{
    const std::size_t query = server.find('?');
    const std::size_t slash = server.rfind('/', query);
    return server.substr(0, slash + 1) + name + (query == std::string::npos ? "" : server.substr(query));
}

bool postgresExists(db::Driver& admin, const std::string& name)
{
    return !std::holds_alternative<std::monostate>(admin.scalar("SELECT 1 FROM pg_database WHERE datname = ?", {name}));
}

// The template database (and the folder of its key) on the test PostgreSQL server.
std::pair<std::string, fs::path> postgresTemplate(const TestServerOptions& options)
{
    const std::string server = postgresServer();
    const std::string name = templateName(options);
    const fs::path folder = kCacheRoot / name;
    CacheLock lock(name);
    auto admin = db::connect(server);
    if (fs::exists(folder / "rsim.key") && postgresExists(*admin, name))
        return {name, folder};
    // A template without its key (or a key without its template) is built again, both anew.
    admin->exec("DROP DATABASE IF EXISTS " + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    admin->exec("CREATE DATABASE " + name);
    fill(*db::connect(postgresDatabase(server, name)), (folder / "rsim.key").string(), options.demoData);
    return {name, folder};
}

} // namespace

TestServer::TestServer(Backend backend) : TestServer(TestServerOptions{backend}) {}

TestServer::TestServer(const TestServerOptions& options) : options_(options)
{
    std::signal(SIGPIPE, SIG_IGN);
    char folder[] = "/tmp/rsim-test.XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        throw std::runtime_error("cannot create a temporary folder in /tmp");
    folder_ = folder;
    keyFile_ = folder_ + "/rsim.key";
    try {
        fs::path templateFolder;
        if (options.backend == Backend::Sqlite) {
            templateFolder = sqliteTemplate(options);
            fs::copy_file(templateFolder / "rsim.db", folder_ + "/rsim.db");
            if (fs::exists(templateFolder / "rsim.db-wal"))
                fs::copy_file(templateFolder / "rsim.db-wal", folder_ + "/rsim.db-wal");
            database_ = "sqlite:" + folder_ + "/rsim.db";
        } else {
            const auto [name, keyFolder] = postgresTemplate(options);
            templateFolder = keyFolder;
            postgresName_ = "rsim_t_" + randomHex();
            db::connect(postgresServer())->exec("CREATE DATABASE " + postgresName_ + " TEMPLATE " + name);
            database_ = postgresDatabase(postgresServer(), postgresName_);
        }
        fs::copy_file(templateFolder / "rsim.key", keyFile_);
        Options service;
        service.database = database_;
        service.host = "127.0.0.1";
        service.port = 0;
        service.keyFile = keyFile_;
        service.threads = options.threads;
        service.maxBodyBytes = options.maxBodyBytes;
        host_ = std::make_unique<ServiceHost>(service);
    } catch (const std::exception& e) {
        stop();
        throw std::runtime_error(std::string("test rsimd did not start: ") + e.what());
    }
    address_ = host_->address();
    serving_ = std::thread([host = host_.get()] { host->run(); });
    if (!options.brokerName.empty())
        ::setenv(("TAV_BROKER_" + options.brokerName).c_str(), address_.c_str(), 1);
}

TestServer::~TestServer()
{
    stop();
}

bool TestServer::login(const std::string& loginName, const std::string& password, CBSErrorMsg* error) const
{
    if (options_.brokerName.empty())
        throw std::logic_error("TestServer::login needs a broker name");
    MSysmgntDef::SOperator who;
    CBSErrorMsg ignored;
    return tvd_login(options_.brokerName, loginName, password, who, error != nullptr ? *error : ignored) == 0;
}

void TestServer::stop()
{
    if (host_) {
        host_->stop();
        if (serving_.joinable())
            serving_.join();
        host_.reset();
    }
    if (!postgresName_.empty()) {
        try {
            db::connect(postgresServer())->exec("DROP DATABASE IF EXISTS " + postgresName_ + " WITH (FORCE)");
        } catch (const std::exception&) {
            // The server is gone already; the database goes with it.
        }
        postgresName_.clear();
    }
    std::error_code ignored;
    if (!folder_.empty())
        fs::remove_all(folder_, ignored);
    folder_.clear();
}

std::string TestServer::skipReason(Backend backend)
{
    if (backend == Backend::Postgres && std::getenv("RSIM_TEST_PG") == nullptr)
        return "RSIM_TEST_PG is not set: no PostgreSQL server for this run (scripts/test.sh starts one)";
    return "";
}

} // namespace rsim::test
