// Who uses a database's keys. Every serving rsimd of an SQLite database holds them, shared, for
// its life; rekey takes them alone, so that it never runs beside a service that would go on
// sealing under a key it retires. The hold is a lock on the key file. A PostgreSQL database has
// replicas on other hosts, each with its own copy of the key file, and is not held: its services
// are stopped before a rekey.
#pragma once

#include <string>

namespace rsim::secrets {

class KeyHold {
public:
    enum class Kind { Serving, Rekeying };

    // Throws SecretError when the other kind holds the keys: a rekey is running (Serving), or a
    // service is serving (Rekeying).
    KeyHold(Kind kind, const std::string& database, const std::string& keyFile);
    ~KeyHold();
    KeyHold(const KeyHold&) = delete;
    KeyHold& operator=(const KeyHold&) = delete;

private:
    int fd_ = -1;
};

} // namespace rsim::secrets
