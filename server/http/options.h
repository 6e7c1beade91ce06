// The command line of rsimd.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace rsim {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string database = "sqlite:var/rsim.db";
    std::string host = "127.0.0.1";
    int port = 7411; // 0: any free port
    // Key file of the KI encryption keys. Empty: rsim.key next to the SQLite file.
    std::string keyFile;
    // Create the key file when it is missing: always for SQLite, with --create-key otherwise.
    bool createKey = false;
    bool seedDemo = false;
    // HTTP workers; each keeps its client's connection between calls. The database connections
    // are as many, up to 16.
    int threads = 32;
    std::size_t maxBodyBytes = std::size_t{512} << 20;
};

// Reads the arguments after the program name; throws UsageError saying what is wrong.
Options parseOptions(const std::vector<std::string>& arguments);
std::string usageText();

} // namespace rsim
