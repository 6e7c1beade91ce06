// rsimd's command line: its options with their defaults, checked as they are read.
#pragma once

#include "http_server.h"
#include "service.h"
#include "sessions.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rsimd {

struct Options {
    std::string database = "sqlite:var/rsim.db";
    std::string listen = "127.0.0.1:7411";
    std::string keyFile;
    std::string tlsCertificate;
    std::string tlsKey;
    std::string initAdmin;
    bool seed = false;
    bool metrics = true;
    bool insecureHttp = false;
    std::string metricsListen; // empty: /metrics is served nowhere
    std::vector<std::string> metricsAllowed;
    int threads = 8;
    std::chrono::milliseconds databaseTimeout{std::chrono::seconds(5)}; // of one round trip
    std::int64_t maxRows = rsim::Service::kDefaultMaxRows;
    rsim::SessionPolicy sessions;
    std::chrono::days accessAuditRetention = rsim::Service::kDefaultAccessAuditRetention;
    rsim::http::Limits limits;
};

// The options of the command line; a bad one ends the process with its usage (exit code 2),
// --help with the help (exit code 0).
Options parse(int argc, char** argv);
// The host and the port of an address given as HOST:PORT to the option.
std::pair<std::string, int> hostAndPort(const std::string& listen,
                                        const std::string& option = "--listen");
// Plain HTTP beyond loopback carries passwords, sessions and card secrets in the clear: refused
// unless --insecure-http asks for it by name, and then warned about.
void checkPlainHttp(const Options& options, const std::string& host);

} // namespace rsimd
