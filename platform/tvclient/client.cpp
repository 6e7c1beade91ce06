// CTvdClientObject over HTTP/1.1 or HTTPS with JSON bodies, keep-alive connections, over one or
// several service addresses.
#include "http_transport.h"
#include "tvd_client.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

// Codes of transport faults in CBSErrorMsg: code -1, minor code says which.
enum TransportFault {
    kNotBound = 1,
    kUnreachable = 2,
    kTimeout = 3,
    kHttpStatus = 4,
    kBadAnswer = 5
};

struct ProcessState {
    std::mutex mutex;
    std::string session;
    TvdCallObserver observer;
};

ProcessState& processState()
{
    static ProcessState state;
    return state;
}

void fail(CBSErrorMsg& error, int minor, std::string message, std::string hint)
{
    error.set(-1, minor, std::move(message), std::move(hint));
}

int secondsFromEnvironment(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return (end != text && *end == '\0' && value > 0 && value < 86400) ? static_cast<int>(value)
                                                                       : fallback;
}

// Prints each call's interface, operation and size to stderr when TAV_TRACE is set; never the
// content, which may hold card secrets.
struct TraceSwitch {
    TraceSwitch()
    {
        if (std::getenv("TAV_TRACE") == nullptr)
            return;
        tvd_setCallObserver([](const std::string& iface, const std::string& code,
                               const std::string& in) {
            std::cerr << "tav call " << iface << "/" << code << " (" << in.size() << " bytes)\n";
        });
    }
};
const TraceSwitch traceSwitch;

// "http://a:1, http://b:2" → its addresses, blanks around them dropped.
std::vector<std::string> addressList(const std::string& text)
{
    std::vector<std::string> addresses;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::size_t first = start, last = comma;
        while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
            ++first;
        while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
            --last;
        addresses.push_back(text.substr(first, last - first));
        start = comma + 1;
    }
    return addresses;
}

// A random id for one call, sent with each of its attempts: the service answers a repeated
// write with the first one's answer instead of applying it again.
std::string newRequestId()
{
    static std::mutex mutex;
    static std::random_device random;
    std::lock_guard lock(mutex);
    char text[33];
    std::snprintf(text, sizeof text, "%08x%08x%08x%08x", random(), random(), random(), random());
    return text;
}

// Fills the error record of a transport fault; false when there was none.
bool transportFault(const tvd::HttpResult& result, CBSErrorMsg& error)
{
    switch (result.fault) {
    case tvd::HttpResult::Fault::None: return false;
    case tvd::HttpResult::Fault::Unreachable:
        fail(error, kUnreachable, "无法连接远程写卡管理服务", result.detail);
        break;
    case tvd::HttpResult::Fault::Certificate:
        fail(error, kUnreachable,
             "远程写卡管理服务的证书无法验证，请检查服务地址和CA证书文件(TAV_CA_FILE)",
             result.detail);
        break;
    case tvd::HttpResult::Fault::Broken:
        fail(error, kTimeout, "调用远程写卡管理服务超时或连接中断", result.detail);
        break;
    }
    return true;
}

// Whether a call goes on with the next address. When the service could not be reached, or
// refused to take the call (503, as a stopping or busy service does), nothing was applied. When
// the connection broke after the request went out, or a proxy lost the service (502, 504), the
// call may have been applied: it goes on only when it may be repeated.
bool movesOn(const tvd::HttpResult& result, bool repeatable)
{
    using Fault = tvd::HttpResult::Fault;
    if (result.fault == Fault::Unreachable || (result.fault == Fault::None && result.status == 503))
        return true;
    return repeatable &&
           (result.fault == Fault::Broken ||
            (result.fault == Fault::None && (result.status == 502 || result.status == 504)));
}

// How long a call waits before it goes to a balancer once more: time for the balancer's
// connection retries and health checks to turn from a replica that went.
constexpr std::chrono::milliseconds kBalancerPause{500};

int connectSeconds()
{
    return secondsFromEnvironment("TAV_CONNECT_TIMEOUT", 3);
}

std::unique_ptr<tvd::HttpTransport> connection(const std::string& address)
{
    auto http = std::make_unique<tvd::HttpTransport>(address);
    http->setTimeouts(connectSeconds(), secondsFromEnvironment("TAV_CALL_TIMEOUT", 600));
    return http;
}

} // namespace

struct CTvdClientObject::Transport {
    std::vector<std::string> addresses;
    std::size_t current = 0;
    std::unique_ptr<tvd::HttpTransport> http; // to addresses[current]
    bool checkOnly = false;
    CBSErrorMsg bindError;

    using Attempt = std::function<tvd::HttpResult(tvd::HttpTransport&)>;
    // One call: at the current address, then at each next one while movesOn() says so. A single
    // address is a balancer's: the call goes to it once more after a pause, on a new connection,
    // by when the balancer sends it to another replica.
    tvd::HttpResult send(const Attempt& attempt, bool repeatable)
    {
        tvd::HttpResult result = attempt(*http);
        const std::size_t attempts = std::max<std::size_t>(addresses.size(), 2);
        for (std::size_t tried = 1; tried < attempts && movesOn(result, repeatable); ++tried) {
            if (addresses.size() == 1)
                std::this_thread::sleep_for(kBalancerPause);
            current = (current + 1) % addresses.size();
            http = connection(addresses[current]);
            result = attempt(*http);
        }
        return result;
    }
};

CTvdClientObject::CTvdClientObject() : transport_(std::make_unique<Transport>())
{}

CTvdClientObject::~CTvdClientObject() = default;

bool CTvdClientObject::isBound() const
{
    return transport_->http != nullptr;
}

const std::string& CTvdClientObject::address() const
{
    static const std::string none;
    return transport_->http ? transport_->addresses[transport_->current] : none;
}

const CBSErrorMsg& CTvdClientObject::bindError() const
{
    return transport_->bindError;
}

int CTvdClientObject::bind_tavBroker(const char* brokerName)
{
    return bind(tvd_brokerAddress(brokerName == nullptr ? "" : brokerName));
}

namespace {

// A connection to an address that answers as the service does, or the error record of why not.
std::unique_ptr<tvd::HttpTransport> answering(const std::string& address, CBSErrorMsg& error)
{
    auto http = connection(address);
    // A service that accepts but does not answer must not hold the binding for a call's time.
    http->setTimeouts(connectSeconds(), connectSeconds() * 2);
    const auto ping = http->get("/v1/ping");
    if (transportFault(ping, error))
        return nullptr;
    if (ping.status != 200) {
        fail(error, kHttpStatus, "该地址不是远程写卡管理服务", address);
        return nullptr;
    }
    http->setTimeouts(connectSeconds(), secondsFromEnvironment("TAV_CALL_TIMEOUT", 600));
    return http;
}

} // namespace

int CTvdClientObject::bind(const std::string& address)
{
    Transport& transport = *transport_;
    transport.bindError = CBSErrorMsg();
    const std::vector<std::string> addresses = addressList(address);
    for (const std::string& one : addresses)
        if (!tvd::HttpTransport::supportedAddress(one)) {
            fail(transport.bindError, kUnreachable,
                 "远程写卡管理服务地址不合法，应以 http:// 或 https:// 开头", one);
            return -1;
        }
    for (std::size_t i = 0; i < addresses.size(); ++i)
        if (auto http = answering(addresses[i], transport.bindError)) {
            transport.bindError = CBSErrorMsg();
            transport.addresses = addresses;
            transport.current = i;
            transport.http = std::move(http);
            return 0;
        }
    return -1;
}

void CTvdClientObject::setCheckOnly(bool checkOnly)
{
    transport_->checkOnly = checkOnly;
}

void CTvdClientObject::unbind()
{
    transport_->http.reset();
}

namespace {

// A body of this many records or more is sent in pieces as it is written (chunked), so that the
// whole text of a million cards is never held at once.
constexpr long long kStreamedRecords = 1000;

// The answer of a POST, or the error record of its transport fault. A call refused for a right
// the operator lacks (403), or a login told to wait (429), is answered with the service's
// refusal, which is its answer.
int readAnswer(tvd::HttpResult result, const std::string& path, std::string& answer,
               CBSErrorMsg& error)
{
    if (transportFault(result, error))
        return -1;
    answer = std::move(result.body);
    if (result.status != 200) {
        const auto server = tvd::wire::readAnswerError(answer);
        if ((result.status == 403 || result.status == 429) && server && server->code > 0)
            return 0;
        fail(error, kHttpStatus,
             "远程写卡管理服务拒绝了请求(HTTP " + std::to_string(result.status) + ")",
             server ? server->message : path);
        return -1;
    }
    return 0;
}

int notBound(CBSErrorMsg& error)
{
    fail(error, kNotBound, "中间件客户端尚未连接远程写卡管理服务", "请先绑定服务(bind_tavBroker)");
    return -1;
}

} // namespace

int CTvdClientObject::call_server(const std::string& path, const std::string& body,
                                  const std::string& session, std::string& answer,
                                  CBSErrorMsg& error)
{
    if (!transport_->http)
        return notBound(error);
    const tvd::CallHeaders headers{session, {}};
    auto result = transport_->send(
        [&](tvd::HttpTransport& http) { return http.post(path, body, headers); }, false);
    return readAnswer(std::move(result), path, answer, error);
}

int CTvdClientObject::invoke_server(const char* interfaceName, const char* operationCode,
                                    STVSession* session, CTvdBasicParamObject& in,
                                    CTvdBasicParamObject& out, CBSErrorMsg& error)
{
    TvdCallObserver observer;
    {
        std::lock_guard lock(processState().mutex);
        observer = processState().observer;
    }
    // The one place that chooses the route, for streamed and unstreamed bodies alike.
    const std::string path = std::string(transport_->checkOnly ? "/v1/check/" : "/v1/call/") +
                             interfaceName + "/" + operationCode;
    const bool streamed = !observer && tvd::wire::ParamsWriter::recordCount(in) >= kStreamedRecords;
    std::string encodedIn;
    if (!streamed) {
        encodedIn = R"({"in":)" + tvd::wire::ParamsWriter(in).all() + "}";
        if (observer)
            observer(interfaceName, operationCode, encodedIn);
    }
    if (!transport_->http)
        return notBound(error);
    // Every attempt of the call carries the same id, so that it may go to the next address.
    const tvd::CallHeaders headers{session != nullptr ? session->token : tvd_processSession(),
                                   newRequestId()};
    auto attempt = [&](tvd::HttpTransport& http) {
        if (!streamed)
            return http.post(path, encodedIn, headers);
        tvd::wire::ParamsWriter writer(in);
        bool started = false;
        return http.postStreamed(path, headers, [&](std::string& piece) {
            if (!started)
                piece = R"({"in":)";
            started = true;
            const bool more = writer.next(piece);
            if (!more)
                piece += '}';
            return more;
        });
    };
    std::string answer;
    if (readAnswer(transport_->send(attempt, true), path, answer, error) != 0)
        return -1;
    try {
        return tvd::wire::readAnswer(answer, out, error);
    } catch (const std::exception& e) {
        fail(error, kBadAnswer, "远程写卡管理服务的应答无法解析", e.what());
        return -1;
    }
}

std::string tvd_brokerAddress(const std::string& brokerName)
{
    std::string variable = "TAV_BROKER_";
    for (char c : brokerName)
        variable +=
            std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::toupper(c)) : '_';
    const char* address = std::getenv(variable.c_str());
    return address != nullptr && *address != '\0' ? address : "http://127.0.0.1:7411";
}

void tvd_setProcessSession(const std::string& token)
{
    std::lock_guard lock(processState().mutex);
    processState().session = token;
}

std::string tvd_processSession()
{
    std::lock_guard lock(processState().mutex);
    return processState().session;
}

TvdCallObserver tvd_setCallObserver(TvdCallObserver observer)
{
    std::lock_guard lock(processState().mutex);
    std::swap(processState().observer, observer);
    return observer;
}

namespace {

// The client of the session calls, which belong to no interface.
struct SessionClient : CTvdClientObject {
    int interfaceRevision() const override { return 0; }
};

} // namespace

int tvd_login(const std::string& brokerName, const std::string& loginName,
              const std::string& password, CTvdBasicStructObject& operatorRecord,
              CBSErrorMsg& error)
{
    SessionClient client;
    if (client.bind(tvd_brokerAddress(brokerName)) != 0) {
        error = client.bindError();
        return -1;
    }
    std::string body = R"({"login":)";
    tvd::wire::appendText(body, loginName);
    body += R"(,"password":)";
    tvd::wire::appendText(body, password);
    body += '}';
    std::string answer;
    if (client.call_server("/v1/login", body, "", answer, error) != 0)
        return -1;
    try {
        std::string session;
        const int result = tvd::wire::readLoginAnswer(answer, operatorRecord, session, error);
        if (result != 0)
            return result;
        tvd_setProcessSession(session);
        error = CBSErrorMsg();
        return 0;
    } catch (const std::exception& e) {
        fail(error, kBadAnswer, "远程写卡管理服务的应答无法解析", e.what());
        return -1;
    }
}

int tvd_logout(const std::string& brokerName, CBSErrorMsg& error)
{
    const std::string session = tvd_processSession();
    if (session.empty())
        return 0;
    tvd_setProcessSession("");
    SessionClient client;
    if (client.bind(tvd_brokerAddress(brokerName)) != 0) {
        error = client.bindError();
        return -1;
    }
    std::string answer;
    return client.call_server("/v1/logout", "", session, answer, error);
}
