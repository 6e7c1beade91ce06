#include "service_routes.h"

#include "call_log.h"
#include "metrics.h"
#include "request_log.h"

#include <chrono>

namespace rsimd {
namespace {

using Clock = std::chrono::steady_clock;
using rsim::http::Reply;
using rsim::http::Request;
using rsim::http::RequestHead;
using rsim::http::Route;

constexpr std::size_t kSmallBody = 64 * 1024; // a login, or a body nobody reads

// Counts and logs a call's answer (operation: a code, or a word of ours), and hands it to the
// server.
Reply answered(std::string_view operation, const RequestHead& head, rsim::Answer answer,
               Clock::time_point started)
{
    rsim::metrics::callEnded({head.requestId, answer.opId, operation, answer.status, answer.result,
                              Clock::now() - started, answer.rows});
    return {answer.status, std::move(answer.body), "application/json", answer.retryAfter};
}

// A call of an operation (or its check, which stores nothing), admitted when its session's
// operator holds the operation's right.
Route operationRoute(rsim::Service& service, const rsim::Service::Operation& operation,
                     std::size_t maxBody, rsim::Service::Mode mode)
{
    const auto handle = [&service, operation, mode](const Request& request) {
        const auto started = Clock::now();
        const RequestHead& head = request.head;
        const rsim::BodySource body = [&request] { return request.body.open(); };
        const rsim::Caller caller{std::any_cast<rsim::SessionOwner>(request.found), head.requestId,
                                  head.source, request.body.digest()};
        return answered(operation.code, head,
                        service.call(operation.interfaceName, operation.code, body, caller, mode),
                        started);
    };
    const auto admit = [&service, operation, mode](const RequestHead& head) {
        const auto started = Clock::now();
        auto admitted = service.admit(operation.interfaceName, operation.code, head.session);
        if (admitted.refusal)
            return rsim::http::Admission{
                answered(operation.code, head, std::move(*admitted.refusal), started)};
        // A stored write's request id is kept with the digest of its request, taken as its body
        // arrives.
        const bool kept =
            operation.writes && mode == rsim::Service::Mode::Store && !head.requestId.empty();
        return rsim::http::Admission{
            std::nullopt, admitted.owner,
            kept ? rsim::requestlog::digestPrefix(operation.interfaceName + "/" + operation.code)
                 : ""};
    };
    return {"POST", operation.writes ? maxBody : kQueryBody, handle, admit};
}

} // namespace

rsim::http::Routes serviceRoutes(rsim::Service& service, std::size_t maxBody)
{
    rsim::http::Routes routes("地址为 /v1/login、/v1/logout、/v1/ping、/v1/health、"
                              "/v1/call/接口/操作 或 /v1/check/接口/操作");
    routes.add("/v1/ping", {"GET", 0, [](const Request&) {
                                return Reply{200, R"({"result":0})"};
                            }});
    Route login{"POST", kSmallBody, {}};
    login.handleLater = [&service](const Request& request, const rsim::http::Respond& respond) {
        const auto started = Clock::now();
        service.login(request.body.text(), request.head.source,
                      [head = request.head, started, respond](rsim::Answer answer) {
                          if (answer.result > 0 && answer.status == 200) // not told to wait
                              rsim::metrics::loginFailed();
                          respond(answered("login", head, std::move(answer), started));
                      });
    };
    routes.add("/v1/login", std::move(login));
    Route logout{"POST", kSmallBody, [&service](const Request& request) {
                     const auto started = Clock::now();
                     return answered("logout", request.head,
                                     service.logout(request.head.session, request.head.source),
                                     started);
                 }};
    logout.bodyOptional = true;
    routes.add("/v1/logout", std::move(logout));
    for (const auto& operation : service.operations()) {
        const std::string path = operation.interfaceName + "/" + operation.code;
        routes.add("/v1/call/" + path,
                   operationRoute(service, operation, maxBody, rsim::Service::Mode::Store));
        routes.add("/v1/check/" + path,
                   operationRoute(service, operation, maxBody, rsim::Service::Mode::CheckOnly));
    }
    return routes;
}

} // namespace rsimd
