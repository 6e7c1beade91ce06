// Who uses a database's keys. Every serving rsimd holds them, shared, for its life; rekey takes
// them alone, so that it never runs beside a service that would go on sealing under a key it
// retires. With SQLite the hold is a lock on the key file; with PostgreSQL, whose replicas each
// have a copy of the key file, an advisory lock of the database held by a connection of its own.
#pragma once

#include "driver.h"

#include <memory>
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
    std::unique_ptr<db::Driver> connection_;
};

} // namespace rsim::secrets
