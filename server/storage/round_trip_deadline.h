// Abandons database round trips that outlive their deadline: a thread of its own shuts down the
// socket of each one past it, so that the read blocked on a server that stopped answering
// returns at once with an error instead of waiting for the server to wake.
#pragma once

#include <chrono>
#include <cstdint>

namespace rsim::db {

// One round trip on a socket, watched from construction to destruction; a limit of 0 watches
// nothing.
class RoundTripDeadline {
public:
    RoundTripDeadline(int socket, std::chrono::milliseconds limit);
    ~RoundTripDeadline();
    RoundTripDeadline(const RoundTripDeadline&) = delete;
    RoundTripDeadline& operator=(const RoundTripDeadline&) = delete;
    // Whether the deadline passed and the socket was shut down.
    bool passed() const;

private:
    std::uint64_t ticket_ = 0;
};

} // namespace rsim::db
