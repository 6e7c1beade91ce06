// CTvdClientObject over HTTP/1.1 with JSON bodies, keep-alive connections.
#include "tvd_client.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <httplib.h>

#include <cctype>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <mutex>

namespace {

constexpr const char* kSessionHeader = "X-Tav-Session";

// Codes of transport faults in CBSErrorMsg: code -1, minor code says which.
enum TransportFault { kNotBound = 1, kUnreachable = 2, kTimeout = 3, kHttpStatus = 4, kBadAnswer = 5 };

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
    std::unique_ptr<httplib::Client> http;
};

CTvdClientObject::CTvdClientObject() : transport_(std::make_unique<Transport>()) {}

CTvdClientObject::~CTvdClientObject() = default;

bool CTvdClientObject::isBound() const { return transport_->http != nullptr; }

const std::string& CTvdClientObject::address() const { return transport_->address; }

int CTvdClientObject::bind_tavBroker(const char* brokerName)
{
    return bind(tvd_brokerAddress(brokerName == nullptr ? "" : brokerName));
}

int CTvdClientObject::bind(const std::string& address)
{
    std::unique_ptr<httplib::Client> http;
    try {
        http = std::make_unique<httplib::Client>(address);
    } catch (const std::exception&) {
        return -1; // not an http:// address
    }
    if (!http->is_valid())
        return -1;
    http->set_tcp_nodelay(true);
    http->set_keep_alive(true);
    const int connectTimeout = secondsFromEnvironment("TAV_CONNECT_TIMEOUT", 3);
    http->set_connection_timeout(connectTimeout, 0);
    // A service that accepts but does not answer must not hold the binding for a call's time.
    http->set_read_timeout(connectTimeout * 2, 0);
    auto answer = http->Get("/v1/ping");
    if (!answer || answer->status != 200)
        return -1;
    const int callTimeout = secondsFromEnvironment("TAV_CALL_TIMEOUT", 600);
    http->set_read_timeout(callTimeout, 0);
    http->set_write_timeout(callTimeout, 0);
    transport_->address = address;
    transport_->http = std::move(http);
    return 0;
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
int readAnswer(httplib::Result result, const std::string& address, const std::string& path, std::string& answer,
               CBSErrorMsg& error)
{
    if (!result) {
        const auto fault = result.error();
        const bool timeout = fault == httplib::Error::Read || fault == httplib::Error::Write;
        if (timeout)
            fail(error, kTimeout, "调用远程写卡管理服务超时或连接中断", address + ": " + httplib::to_string(fault));
        else
            fail(error, kUnreachable, "无法连接远程写卡管理服务", address + ": " + httplib::to_string(fault));
        return -1;
    }
    answer = std::move(result->body);
    if (result->status != 200) {
        CBSErrorMsg server;
        const auto parsed = nlohmann::json::parse(answer, nullptr, false);
        const bool explained = !parsed.is_discarded() && parsed.contains("error") &&
                               tvd::wire::decodeError(parsed["error"], server);
        fail(error, kHttpStatus, "远程写卡管理服务拒绝了请求(HTTP " + std::to_string(result->status) + ")",
             explained ? server.message : path);
        return -1;
    }
    return 0;
}

httplib::Headers sessionHeaders(const std::string& session)
{
    httplib::Headers headers;
    if (!session.empty())
        headers.emplace(kSessionHeader, session);
    return headers;
}

} // namespace

int CTvdClientObject::call_server(const std::string& path, const std::string& body,
                                  const std::string& session, std::string& answer,
                                  CBSErrorMsg& error)
{
    if (!transport_->http) {
        fail(error, kNotBound, "中间件客户端尚未连接远程写卡管理服务", "请先绑定服务(bind_tavBroker)");
        return -1;
    }
    return readAnswer(transport_->http->Post(path.c_str(), sessionHeaders(session), body, "application/json"),
                      transport_->address, path, answer, error);
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
    const std::string path = std::string("/v1/call/") + interfaceName + "/" + operationCode;
    const std::string token = session != nullptr ? session->token : tvd_processSession();
    int sent = 0;
    if (observer || tvd::wire::ParamsWriter::recordCount(in) < kStreamedRecords || !transport_->http) {
        const std::string encodedIn = R"({"in":)" + tvd::wire::ParamsWriter(in).all() + "}";
        if (observer)
            observer(interfaceName, operationCode, encodedIn);
        sent = call_server(path, encodedIn, token, answer, error);
    } else {
        tvd::wire::ParamsWriter writer(in);
        std::string piece = R"({"in":)";
        std::exception_ptr refused; // text that is not UTF-8: thrown as the whole text would throw it
        auto provider = [&](std::size_t, httplib::DataSink& sink) {
            bool more = false;
            try {
                more = writer.next(piece);
            } catch (...) {
                refused = std::current_exception();
                return false;
            }
            if (!more)
                piece += '}';
            const bool written = sink.write(piece.data(), piece.size());
            piece.clear();
            if (!more)
                sink.done();
            return written;
        };
        auto result = transport_->http->Post(path.c_str(), sessionHeaders(token), provider, "application/json");
        if (refused)
            std::rethrow_exception(refused);
        sent = readAnswer(std::move(result), transport_->address, path, answer, error);
    }
    if (sent != 0)
        return -1;
    try {
        const auto reply = nlohmann::json::parse(answer);
        const int result = reply.at("result").get<int>();
        if (reply.contains("error") && !tvd::wire::decodeError(reply["error"], error))
            throw tvd::wire::DecodeError("error", "not an error record");
        if (result == 0 && reply.contains("out"))
            tvd::wire::decodeParams(reply["out"], out, "out");
        return result;
    } catch (const std::exception& e) {
        fail(error, kBadAnswer, "远程写卡管理服务的应答无法解析", e.what());
        return -1;
    }
}

std::string tvd_brokerAddress(const std::string& brokerName)
{
    std::string variable = "TAV_BROKER_";
    for (char c : brokerName)
        variable += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::toupper(c)) : '_';
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
        fail(error, kUnreachable, "无法连接远程写卡管理服务", address);
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
