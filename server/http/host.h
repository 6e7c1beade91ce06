// Everything one rsimd runs, started in order: the database (schema brought up to date, demo
// data when asked), the KI key, the connection pool, the service and its HTTP server. What can
// fail at start-up fails in the constructor, with an exception whose message says what and where.
#pragma once

#include "driver_pool.h"
#include "http_server.h"
#include "options.h"
#include "secrets.h"
#include "service.h"

#include <memory>
#include <string>

namespace rsim {

// Applies the migrations of the framework (versions 1–99) and of the tables (100+); with
// seedDemo also fills in the demo data (harmless when run again).
void prepareDatabase(db::Driver& db, const secrets::SecretBox& secrets, bool seedDemo);
// The handlers of every operation the service answers.
HandlerTable allHandlers();

class ServiceHost {
public:
    explicit ServiceHost(const Options& options);
    ~ServiceHost();

    // "http://HOST:PORT", with the port actually bound.
    const std::string& address() const { return address_; }
    // Serves until stop(), then lets the calls in progress finish.
    void run() { http_->run(); }
    void stop() { http_->stop(); }

private:
    std::unique_ptr<DriverPool> pool_;
    std::unique_ptr<secrets::SecretBox> secrets_;
    std::unique_ptr<Service> service_;
    std::unique_ptr<http::HttpServer> http_;
    std::string address_;
};

} // namespace rsim
