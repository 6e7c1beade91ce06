#include "host.h"

#include "sysmgnt.h"
#include "table.h"

#include <algorithm>
#include <filesystem>

namespace rsim {
namespace {

// A worker holds a connection only while it runs a call, but an HTTP worker stays with its
// client's keep-alive connection between calls: more workers than connections.
constexpr int kMaxConnections = 16;

// An embedded database is created on first start, and the folder it goes in with it.
void createSqliteFolder(const std::string& database)
{
    if (!database.starts_with("sqlite:"))
        return;
    const std::filesystem::path folder = std::filesystem::path(database.substr(7)).parent_path();
    std::error_code fault;
    if (!folder.empty())
        std::filesystem::create_directories(folder, fault);
    if (fault)
        throw http::StartupError("cannot create the folder " + folder.string() + " of " + database + ": " +
                                 fault.message());
}

std::string hostInUrl(const std::string& host)
{
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

} // namespace

void prepareDatabase(db::Driver& db, const secrets::SecretBox& secrets, bool seedDemo)
{
    auto migrations = sysmgnt::schema();
    for (auto& migration : tables::schema())
        migrations.push_back(std::move(migration));
    db::migrate(db, migrations);
    if (seedDemo) {
        sysmgnt::seedDemo(db);
        tables::seedDemo(db, secrets);
    }
}

HandlerTable allHandlers()
{
    HandlerTable handlers;
    sysmgnt::registerHandlers(handlers);
    tables::registerHandlers(handlers);
    return handlers;
}

ServiceHost::ServiceHost(const Options& options)
{
    createSqliteFolder(options.database);
    pool_ = std::make_unique<DriverPool>(options.database, static_cast<std::size_t>(std::min(options.threads, kMaxConnections)));
    secrets_ = std::make_unique<secrets::SecretBox>(secrets::SecretBox::fromKeyFile(options.keyFile, options.createKey));
    prepareDatabase(*pool_->acquire(), *secrets_, options.seedDemo);
    service_ = std::make_unique<Service>(*pool_, *secrets_, allHandlers());
    http_ = std::make_unique<http::HttpServer>(*service_, options.threads, options.maxBodyBytes);
    const int port = http_->bind(options.host, options.port);
    address_ = "http://" + hostInUrl(options.host) + ":" + std::to_string(port);
}

ServiceHost::~ServiceHost() = default;

} // namespace rsim
