#include "http_transport.h"

#include "gzip.h"
#include "tvd_client.h"

#include <curl/curl.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>

namespace tvd {
namespace {

constexpr const char* kSessionHeader = "X-Tav-Session: ";
constexpr const char* kRequestIdHeader = "X-Tav-Request-Id: ";
// Bodies from this size are sent gzipped to a service that takes them, except on loopback,
// where compressing costs more time than sending; answers likewise come compressed only from
// another host.
constexpr std::size_t kCompressFrom = 1024 * 1024;

struct CaSetting {
    std::mutex mutex;
    std::string path;
};

CaSetting& caSetting()
{
    static CaSetting setting;
    return setting;
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// Notes whether an answer says the service takes gzip request bodies (Accept-Encoding).
std::size_t readHeader(char* data, std::size_t size, std::size_t count, void* target)
{
    const std::string line(data, size * count);
    if (line.size() > 16 && curl_strnequal(line.c_str(), "Accept-Encoding:", 16) &&
        line.find("gzip") != std::string::npos)
        *static_cast<bool*>(target) = true;
    return size * count;
}

bool loopback(const std::string& address)
{
    const std::size_t host = address.find("://") + 3;
    return address.compare(host, 4, "127.") == 0 || address.compare(host, 9, "localhost") == 0 ||
           address.compare(host, 5, "[::1]") == 0;
}

HttpResult::Fault faultOf(CURLcode code)
{
    switch (code) {
    case CURLE_OK: return HttpResult::Fault::None;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: return HttpResult::Fault::Unreachable;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM: return HttpResult::Fault::Certificate;
    default: return HttpResult::Fault::Broken;
    }
}

} // namespace

std::string caFile()
{
    {
        std::lock_guard lock(caSetting().mutex);
        if (!caSetting().path.empty())
            return caSetting().path;
    }
    const char* path = std::getenv("TAV_CA_FILE");
    return path != nullptr ? path : "";
}

struct HttpTransport::Handle {
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    ~Handle()
    {
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
    }
};

HttpTransport::HttpTransport(std::string address)
    : address_(std::move(address)), handle_(std::make_unique<Handle>())
{
    CURL* curl = handle_->curl;
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
    // Answers compressed in every coding libcurl can undo, except on loopback, where compressing
    // costs the service more time than sending (an answer of 400 log entries: about 2 ms).
    if (!loopback(address_))
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, handle_->error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &serverInflates_);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    const std::string ca = caFile();
    if (!ca.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, ca.c_str());
}

HttpTransport::~HttpTransport() = default;

bool HttpTransport::supportedAddress(const std::string& address)
{
    return (address.rfind("http://", 0) == 0 && address.size() > 7) ||
           (address.rfind("https://", 0) == 0 && address.size() > 8);
}

void HttpTransport::setTimeouts(long connectSeconds, long callSeconds)
{
    curl_easy_setopt(handle_->curl, CURLOPT_CONNECTTIMEOUT, connectSeconds);
    curl_easy_setopt(handle_->curl, CURLOPT_TIMEOUT, callSeconds);
}

HttpResult HttpTransport::get(const std::string& path)
{
    curl_easy_setopt(handle_->curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle_->curl, CURLOPT_HTTPHEADER, nullptr);
    return perform(path);
}

void HttpTransport::setHeaders(const CallHeaders& headers, const char* extra)
{
    curl_slist_free_all(handle_->headers);
    handle_->headers = curl_slist_append(nullptr, "Content-Type: application/json");
    if (!headers.session.empty())
        handle_->headers =
            curl_slist_append(handle_->headers, (kSessionHeader + headers.session).c_str());
    if (!headers.requestId.empty())
        handle_->headers =
            curl_slist_append(handle_->headers, (kRequestIdHeader + headers.requestId).c_str());
    if (extra != nullptr)
        handle_->headers = curl_slist_append(handle_->headers, extra);
    curl_easy_setopt(handle_->curl, CURLOPT_HTTPHEADER, handle_->headers);
}

HttpResult HttpTransport::post(const std::string& path, const std::string& body,
                               const CallHeaders& headers)
{
    const bool compress = serverInflates_ && body.size() >= kCompressFrom && !loopback(address_);
    const std::string packed = compress ? gzip(body) : std::string();
    setHeaders(headers, compress ? "Content-Encoding: gzip" : nullptr);
    const std::string& sent = compress ? packed : body;
    curl_easy_setopt(handle_->curl, CURLOPT_POSTFIELDS, sent.data());
    curl_easy_setopt(handle_->curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(sent.size()));
    return perform(path);
}

namespace {

struct PieceSource {
    const HttpTransport::PieceWriter& nextPiece;
    std::string piece;
    std::size_t offset = 0;
    bool last = false;
    std::exception_ptr thrown;
};

std::size_t readPiece(char* buffer, std::size_t size, std::size_t count, void* data)
{
    auto& source = *static_cast<PieceSource*>(data);
    while (source.offset == source.piece.size()) {
        if (source.last)
            return 0;
        source.piece.clear();
        source.offset = 0;
        try {
            source.last = !source.nextPiece(source.piece);
        } catch (...) {
            source.thrown = std::current_exception();
            return CURL_READFUNC_ABORT;
        }
    }
    const std::size_t n = std::min(size * count, source.piece.size() - source.offset);
    std::memcpy(buffer, source.piece.data() + source.offset, n);
    source.offset += n;
    return n;
}

} // namespace

HttpResult HttpTransport::postStreamed(const std::string& path, const CallHeaders& headers,
                                       const PieceWriter& nextPiece)
{
    PieceSource source{nextPiece, {}, 0, false, nullptr};
    setHeaders(headers, "Transfer-Encoding: chunked");
    curl_easy_setopt(handle_->curl, CURLOPT_POST, 1L);
    curl_easy_setopt(handle_->curl, CURLOPT_POSTFIELDS, nullptr);
    curl_easy_setopt(handle_->curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(-1));
    curl_easy_setopt(handle_->curl, CURLOPT_READFUNCTION, readPiece);
    curl_easy_setopt(handle_->curl, CURLOPT_READDATA, &source);
    HttpResult result = perform(path);
    curl_easy_setopt(handle_->curl, CURLOPT_READDATA, nullptr);
    if (source.thrown)
        std::rethrow_exception(source.thrown);
    return result;
}

HttpResult HttpTransport::perform(const std::string& path)
{
    HttpResult result;
    const std::string url = address_ + path;
    curl_easy_setopt(handle_->curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle_->curl, CURLOPT_WRITEDATA, &result.body);
    handle_->error[0] = '\0';
    const CURLcode code = curl_easy_perform(handle_->curl);
    result.fault = faultOf(code);
    if (result.fault != HttpResult::Fault::None)
        result.detail = address_ + ": " +
                        (handle_->error[0] != '\0' ? handle_->error : curl_easy_strerror(code));
    else
        curl_easy_getinfo(handle_->curl, CURLINFO_RESPONSE_CODE, &result.status);
    return result;
}

} // namespace tvd

void tvd_setCaFile(const std::string& path)
{
    std::lock_guard lock(tvd::caSetting().mutex);
    tvd::caSetting().path = path;
}
