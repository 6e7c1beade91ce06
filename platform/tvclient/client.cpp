// CTvdClientObject over HTTP/1.1 or HTTPS with JSON bodies, keep-alive connections.
#include "http_transport.h"
#include "tvd_client.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <cctype>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <mutex>

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

} // namespace

struct CTvdClientObject::Transport {
    std::string address;
    bool checkOnly = false;
    std::unique_ptr<tvd::HttpTransport> http;
    CBSErrorMsg bindError;
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
    return transport_->address;
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

} // namespace

int CTvdClientObject::bind(const std::string& address)
{
    transport_->bindError = CBSErrorMsg();
    if (!tvd::HttpTransport::supportedAddress(address)) {
        fail(transport_->bindError, kUnreachable,
             "远程写卡管理服务地址不合法，应以 http:// 或 https:// 开头", address);
        return -1;
    }
    auto http = std::make_unique<tvd::HttpTransport>(address);
    const int connectTimeout = secondsFromEnvironment("TAV_CONNECT_TIMEOUT", 3);
    // A service that accepts but does not answer must not hold the binding for a call's time.
    http->setTimeouts(connectTimeout, connectTimeout * 2);
    const auto ping = http->get("/v1/ping");
    if (transportFault(ping, transport_->bindError))
        return -1;
    if (ping.status != 200) {
        fail(transport_->bindError, kHttpStatus, "该地址不是远程写卡管理服务", address);
        return -1;
    }
    http->setTimeouts(connectTimeout, secondsFromEnvironment("TAV_CALL_TIMEOUT", 600));
    transport_->address = address;
    transport_->http = std::move(http);
    return 0;
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

// The answer of a POST, or the error record of its transport fault.
int readAnswer(tvd::HttpResult result, const std::string& path, std::string& answer,
               CBSErrorMsg& error)
{
    if (transportFault(result, error))
        return -1;
    answer = std::move(result.body);
    if (result.status != 200) {
        CBSErrorMsg server;
        const auto parsed = nlohmann::json::parse(answer, nullptr, false);
        const bool explained = !parsed.is_discarded() && parsed.contains("error") &&
                               tvd::wire::decodeError(parsed["error"], server);
        fail(error, kHttpStatus,
             "远程写卡管理服务拒绝了请求(HTTP " + std::to_string(result.status) + ")",
             explained ? server.message : path);
        return -1;
    }
    return 0;
}

} // namespace

int CTvdClientObject::call_server(const std::string& path, const std::string& body,
                                  const std::string& session, std::string& answer,
                                  CBSErrorMsg& error)
{
    if (!transport_->http) {
        fail(error, kNotBound, "中间件客户端尚未连接远程写卡管理服务",
             "请先绑定服务(bind_tavBroker)");
        return -1;
    }
    return readAnswer(transport_->http->post(path, body, session), path, answer, error);
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
    std::string answer;
    // The one place that chooses the route, for streamed and unstreamed bodies alike.
    const std::string path = std::string(transport_->checkOnly ? "/v1/check/" : "/v1/call/") +
                             interfaceName + "/" + operationCode;
    const std::string token = session != nullptr ? session->token : tvd_processSession();
    int sent = 0;
    if (observer || tvd::wire::ParamsWriter::recordCount(in) < kStreamedRecords ||
        !transport_->http) {
        const std::string encodedIn = R"({"in":)" + tvd::wire::ParamsWriter(in).all() + "}";
        if (observer)
            observer(interfaceName, operationCode, encodedIn);
        sent = call_server(path, encodedIn, token, answer, error);
    } else {
        tvd::wire::ParamsWriter writer(in);
        bool started = false;
        auto result = transport_->http->postStreamed(path, token, [&](std::string& piece) {
            if (!started)
                piece = R"({"in":)";
            started = true;
            const bool more = writer.next(piece);
            if (!more)
                piece += '}';
            return more;
        });
        sent = readAnswer(std::move(result), path, answer, error);
    }
    if (sent != 0)
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

int tvd_login(const std::string& brokerName, const std::string& loginName,
              const std::string& password, CTvdBasicStructObject& operatorRecord,
              CBSErrorMsg& error)
{
    struct LoginClient : CTvdClientObject {
        int interfaceRevision() const override { return 0; }
    } client;
    const std::string address = tvd_brokerAddress(brokerName);
    if (client.bind(address) != 0) {
        error = client.bindError();
        return -1;
    }
    const std::string body = nlohmann::json{{"login", loginName}, {"password", password}}.dump();
    std::string answer;
    if (client.call_server("/v1/login", body, "", answer, error) != 0)
        return -1;
    try {
        const auto reply = nlohmann::json::parse(answer);
        const int result = reply.at("result").get<int>();
        if (result != 0) {
            if (!tvd::wire::decodeError(reply.at("error"), error))
                throw tvd::wire::DecodeError("error", "not an error record");
            return result;
        }
        tvd::wire::decode(reply.at("operator"), operatorRecord, "operator");
        tvd_setProcessSession(reply.at("session").get<std::string>());
        error = CBSErrorMsg();
        return 0;
    } catch (const std::exception& e) {
        fail(error, kBadAnswer, "远程写卡管理服务的应答无法解析", e.what());
        return -1;
    }
}
