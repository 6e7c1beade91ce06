// Requests below the middleware, for tests of what the service answers to any bytes.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace rsim::test {

struct RawAnswer {
    int status = -1;            // -1: no answer at all
    nlohmann::json body;        // discarded when the body is not JSON
};

// One POST (keep-alive off), with the session header when session is not empty.
RawAnswer post(const std::string& address, const std::string& path, const std::string& body,
               const std::string& session = "");
// Writes the bytes on a new connection and returns the first answer that comes back (head and
// body; what came before the service closed the connection, or within 10 seconds).
std::string sendBytes(const std::string& address, const std::string& bytes);
// Writes the bytes on a new connection and closes it at once, as a client that was killed.
void sendAndDrop(const std::string& address, const std::string& bytes);

} // namespace rsim::test
