// The routes of a server, one table for the HTTP layer and the service: for each path its method,
// the largest body it may send, its admission and its handler. The HTTP layer answers a path no
// route has (404) and another method (405) from the header alone, admits a request on a worker
// before any of its body is read, and reads the body up to the route's limit.
#pragma once

#include "request_body.h"

#include <any>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace rsim::http {

// What a request's header says, read before any of its body.
struct RequestHead {
    std::string method;
    std::string target;
    std::string session;   // the X-Tav-Session header
    std::string requestId; // the X-Tav-Request-Id header
    std::string source;    // the client's address: the peer, or what a trusted proxy forwards
    std::string peer;      // the address the connection comes from
};

struct Reply {
    int status = 200;
    std::string body; // JSON text, unless contentType says otherwise
    std::string contentType = "application/json";
    std::int64_t retryAfter = 0; // seconds, sent as Retry-After when positive
};

// The answer of the admission: a refusal, answered before any of the body is read, or what the
// admission found (its session's operator), which the handler is given.
struct Admission {
    std::optional<Reply> refusal;
    std::any found{};
    // When not empty, the body is digested as it arrives, after this text (RequestBody::digest).
    std::string digestAfter{};
};

struct Request {
    RequestHead head;
    const RequestBody& body; // inflated
    const std::any& found;   // of the admission
};

// Both run on a worker thread and must not throw (the server answers 500 if they do). Admit runs
// when a request's header has arrived; the handler once its body has.
using Admit = std::function<Admission(const RequestHead&)>;
using Handler = std::function<Reply(const Request&)>;
// Has the server write a reply, from any thread; only the first reply of a request counts.
using Respond = std::function<void(Reply)>;
// A handler that may answer after it returns: it starts what must not hold a worker while it
// waits (a password check on a pool of its own) and has that answer through respond. The request
// is valid only while the handler runs.
using DeferredHandler = std::function<void(const Request&, Respond respond)>;

// The JSON answer of a protocol fault, in the shape of every answer's error record.
std::string faultBody(int status, const std::string& message, const std::string& hint = "");

struct Route {
    std::string method;      // "GET" or "POST"
    std::size_t maxBody = 0; // after decompression
    Handler handle;
    Admit admit{}; // none: admitted as it comes
    // Asked by monitoring (health, metrics): a GET without a body, answered without admission on
    // threads of its own, so that it is answered while every worker runs a call.
    bool monitoring = false;
    // A POST that needs no body (a logout) may come without Content-Length.
    bool bodyOptional = false;
    // Set instead of handle: the worker is free again once it returns, whenever the reply comes.
    DeferredHandler handleLater{};
};

class Routes {
public:
    // notFoundHint: what a client that asked for another path is told.
    explicit Routes(std::string notFoundHint) : notFoundHint_(std::move(notFoundHint)) {}
    void add(std::string path, Route route);
    // The route of a request, or its refusal: 404 for a path no route has, 405 for another
    // method.
    std::variant<const Route*, Reply> find(std::string_view method, std::string_view target) const;

private:
    std::string notFoundHint_;
    std::map<std::string, Route, std::less<>> routes_;
};

} // namespace rsim::http
