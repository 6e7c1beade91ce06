// One keep-alive HTTP/1.1 or HTTPS connection to the service, on libcurl: certificate
// verification (with a private CA file when one is named), gzip answers, time-outs per call.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tvd {

struct HttpResult {
    enum class Fault { None, Unreachable, Certificate, Broken };
    Fault fault = Fault::None;
    long status = 0;
    std::string body;
    std::string detail; // what went wrong, for the error record's hint
};

// What a call carries besides its body.
struct CallHeaders {
    std::string session;   // X-Tav-Session; empty: none
    std::string requestId; // X-Tav-Request-Id; empty: none
};

class HttpTransport {
public:
    // address: "http://host:port" or "https://host:port".
    explicit HttpTransport(std::string address);
    ~HttpTransport();
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    static bool supportedAddress(const std::string& address);

    void setTimeouts(long connectSeconds, long callSeconds);
    HttpResult get(const std::string& path);
    HttpResult post(const std::string& path, const std::string& body, const CallHeaders& headers);
    // Sends the body in pieces as nextPiece writes them (chunked): nextPiece appends the next
    // piece to an empty text and returns false with the last one. What it throws is thrown
    // again once the request is broken off.
    using PieceWriter = std::function<bool(std::string& piece)>;
    HttpResult postStreamed(const std::string& path, const CallHeaders& headers,
                            const PieceWriter& nextPiece);

private:
    HttpResult perform(const std::string& path);
    void setHeaders(const CallHeaders& headers, const char* extra);

    std::string address_;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    bool serverInflates_ = false; // the service said it takes gzip request bodies
};

// The CA file that verifies the service's certificate: set by tvd_setCaFile, else the
// environment variable TAV_CA_FILE, else the system's store.
std::string caFile();

} // namespace tvd
