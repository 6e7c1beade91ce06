// Reading a request body within limits that hold whatever a client sends: nesting depth, length
// of a text, duplicate members and malformed UTF-8 are refused with a message a person can act
// on (never the parser's own text). The limits are checked by the one reading that decodes the
// body, over the whole body: a fault of the text anywhere wins over a wrong value before it.
#pragma once

#include "tvd_json_stream.h"
#include "tvd_object.h"

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

// Decodes the body of a call, {"in": {...}}, into the in-object of its operation; with chunks,
// the records of its list are given to chunks->take as they are read. A reading stopped by take
// is no fault, unless the rest of the body is beyond the limits. On a fault, what chunks took
// must be undone by the caller.
std::optional<RequestFault> decodeCall(const std::string& body, const std::string& operationName,
                                       CTvdBasicParamObject& in,
                                       const tvd::wire::ListChunks* chunks = nullptr);
std::optional<RequestFault> decodeCall(std::istream& body, const std::string& operationName,
                                       CTvdBasicParamObject& in,
                                       const tvd::wire::ListChunks* chunks = nullptr);

struct LoginRequest {
    std::string login;
    std::string password;
};
// Decodes a login's body, {"login": text, "password": text}, into out.
std::optional<RequestFault> decodeLogin(const std::string& body, LoginRequest& out);

} // namespace rsim
