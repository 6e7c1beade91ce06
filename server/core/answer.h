// What the service answers a request.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace rsim {

// An HTTP status and the JSON text of the answer.
struct Answer {
    Answer(int status, const nlohmann::json& body)
        : status(status), body(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
    {}
    Answer(int status, std::string body) : status(status), body(std::move(body)) {}
    int status;
    std::string body;
};

} // namespace rsim
