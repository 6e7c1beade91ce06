// Reading a request body as JSON within limits that hold whatever a client sends: nesting depth,
// length of a text, duplicate members and malformed UTF-8 are refused with a message a person
// can act on (never the parser's own text), before any of it reaches the typed decoding.
#pragma once

#include "tvd_json_stream.h"
#include "tvd_object.h"

#include <nlohmann/json.hpp>

#include <istream>
#include <optional>
#include <string>

namespace rsim {

// Records hold only scalar members: a call is {"in": {member: [ {record} ]}}, four levels.
constexpr std::size_t kMaxJsonDepth = 8;
// No stored text is longer; a longer criterion would only reach the database to fail there.
constexpr std::size_t kMaxJsonText = 4096;

struct RequestFault {
    std::string message;
    std::string hint;
};

// The limits above, walked through once without building anything.
std::optional<RequestFault> checkRequestJson(const std::string& body);
std::optional<RequestFault> checkRequestJson(std::istream& body);

// Parses body into out; on a fault, out is unspecified.
std::optional<RequestFault> parseRequestJson(const std::string& body, nlohmann::json& out);

// Decodes the body of a call, {"in": {...}}, checked by checkRequestJson, into the in-object of
// its operation; with chunks, the records of its list are given to chunks->take as they are read.
// A reading stopped by take is no fault.
std::optional<RequestFault> decodeCall(const std::string& body, const std::string& operationName,
                                       CTvdBasicParamObject& in,
                                       const tvd::wire::ListChunks* chunks = nullptr);
std::optional<RequestFault> decodeCall(std::istream& body, const std::string& operationName,
                                       CTvdBasicParamObject& in,
                                       const tvd::wire::ListChunks* chunks = nullptr);

} // namespace rsim
