#include "http_server.h"

#include "gzip.h"

#include <utility> // before Asio 1.74, which uses std::exchange without it

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <nlohmann/json.hpp>

#include <atomic>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace rsim::http {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = beast::http;
using tcp = asio::ip::tcp;
using beast::error_code;

std::string faultBody(int status, const std::string& message, const std::string& hint)
{
    return nlohmann::json{
        {"result", -1},
        {"error", {{"code", -1}, {"minCode", status}, {"message", message}, {"hint", hint}}}}
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

namespace {

constexpr const char* kSessionHeader = "X-Tav-Session";
constexpr std::size_t kCompressFrom = 8 * 1024; // smaller answers are not worth compressing
constexpr std::size_t kBudgetFree = 64 * 1024;  // bodies this small need no reservation

// Bytes of request bodies being read or handled; a request reserves its share before its body
// is read, and a request that would exceed the budget is answered 503 at once.
class BodyBudget {
public:
    explicit BodyBudget(std::size_t total) : total_(total) {}
    bool reserve(std::size_t bytes)
    {
        std::size_t used = used_.load();
        do {
            if (bytes > total_ - std::min(used, total_))
                return false;
        } while (!used_.compare_exchange_weak(used, used + bytes));
        return true;
    }
    void release(std::size_t bytes) { used_ -= bytes; }

private:
    const std::size_t total_;
    std::atomic<std::size_t> used_{0};
};

class Reservation {
public:
    Reservation() = default;
    Reservation(BodyBudget& budget, std::size_t bytes) : budget_(&budget), bytes_(bytes) {}
    Reservation(Reservation&& other) noexcept
        : budget_(std::exchange(other.budget_, nullptr)), bytes_(other.bytes_)
    {}
    Reservation& operator=(Reservation&& other) noexcept
    {
        std::swap(budget_, other.budget_);
        std::swap(bytes_, other.bytes_);
        return *this;
    }
    ~Reservation()
    {
        if (budget_ != nullptr)
            budget_->release(bytes_);
    }

private:
    BodyBudget* budget_ = nullptr;
    std::size_t bytes_ = 0;
};

bool acceptsGzip(const bhttp::request_header<>& header)
{
    for (const auto& coding : bhttp::token_list(header[bhttp::field::accept_encoding]))
        if (beast::iequals(coding, "gzip"))
            return true;
    return false;
}

} // namespace

struct Server::State {
    State(Limits l, std::size_t workers, Handler h)
        : limits(l), handler(std::move(h)), pool(workers), budget(l.bodyBudget)
    {}

    Limits limits;
    Handler handler;
    asio::io_context io{1};
    asio::thread_pool pool;
    tcp::acceptor acceptor{io};
    std::optional<asio::ssl::context> tls;
    BodyBudget budget;
    std::atomic<std::size_t> connections{0};
};

namespace {

using State = Server::State;

beast::tcp_stream& lowest(beast::tcp_stream& stream)
{
    return stream;
}
beast::tcp_stream& lowest(beast::ssl_stream<beast::tcp_stream>& stream)
{
    return beast::get_lowest_layer(stream);
}

// One connection: reads a request under its limits, hands it to a worker, writes the answer,
// and waits for the next request of a keep-alive connection.
template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
public:
    template <class... Args>
    Connection(std::shared_ptr<State> state, Args&&... args)
        : state_(std::move(state)), stream_(std::forward<Args>(args)...)
    {
        ++state_->connections;
    }
    ~Connection() { --state_->connections; }

    void start()
    {
        if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
            waitForRequest();
        } else {
            lowest(stream_).expires_after(state_->limits.requestDeadline);
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](error_code ec) {
                                        if (!ec)
                                            self->waitForRequest();
                                    });
        }
    }

private:
    // A kept-alive connection may send nothing for the idle time; from its first byte on, the
    // whole request must arrive within the request deadline.
    void waitForRequest()
    {
        if (buffer_.size() > 0)
            return readHeader();
        lowest(stream_).expires_after(state_->limits.idleTimeout);
        stream_.async_read_some(buffer_.prepare(4096),
                                [self = this->shared_from_this()](error_code ec, std::size_t n) {
                                    if (ec)
                                        return self->close();
                                    self->buffer_.commit(n);
                                    self->readHeader();
                                });
    }

    void readHeader()
    {
        lowest(stream_).expires_after(state_->limits.requestDeadline);
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(state_->limits.maxHeader));
        parser_->body_limit(state_->limits.maxBody);
        bhttp::async_read_header(stream_, buffer_, *parser_,
                                 [self = this->shared_from_this()](error_code ec, std::size_t) {
                                     if (ec)
                                         return self->refuseUnreadable(ec);
                                     self->checkHeader();
                                 });
    }

    void refuseUnreadable(error_code ec)
    {
        if (ec == bhttp::error::body_limit)
            return refuse(413, "请求过大",
                          "请求体不能超过 " + std::to_string(state_->limits.maxBody) + " 字节");
        if (ec == bhttp::error::header_limit)
            return refuse(400, "请求头过大",
                          "请求头不能超过 " + std::to_string(state_->limits.maxHeader) + " 字节");
        if (ec == bhttp::error::bad_content_length)
            return refuse(400, "Content-Length 不合法", "应为不超过请求体上限的非负整数");
        if (ec == bhttp::error::bad_transfer_encoding)
            return refuse(400, "Transfer-Encoding 不合法", "只支持 chunked 分块传输");
        if (ec.category() == bhttp::make_error_code(bhttp::error::bad_target).category() &&
            ec != bhttp::error::end_of_stream && ec != bhttp::error::partial_message)
            return refuse(400, "请求不是合法的HTTP/1.1请求", "");
        close(); // the peer went away, timed out or broke off: nobody to answer
    }

    void checkHeader()
    {
        const auto& header = parser_->get();
        const bool chunked = parser_->chunked();
        if (header.count(bhttp::field::transfer_encoding) != 0 && !chunked)
            return refuse(400, "Transfer-Encoding 不合法", "只支持 chunked 分块传输");
        const beast::string_view coding = header[bhttp::field::content_encoding];
        gzipped_ = beast::iequals(coding, "gzip");
        if (!gzipped_ && !coding.empty() && !beast::iequals(coding, "identity"))
            return refuse(415, "不支持的内容编码 " + std::string(coding),
                          "请求体只能不压缩或用 gzip 压缩");
        const bool framed = chunked || header.count(bhttp::field::content_length) != 0;
        if (header.method() == bhttp::verb::post && !framed && header.target() != "/v1/logout")
            return refuse(411, "请求缺少 Content-Length",
                          "POST 请求须带 Content-Length 或分块传输(chunked)");
        const std::size_t declared =
            chunked || gzipped_ ? state_->limits.maxBody
                                : static_cast<std::size_t>(parser_->content_length().value_or(0));
        if (declared > kBudgetFree) {
            if (!state_->budget.reserve(declared))
                return refuse(503, "服务繁忙，请稍后重试", "同时进行的大请求过多");
            reservation_ = Reservation(state_->budget, declared);
        }
        // A body of unknown length gets room for the limit at once: only the pages written are
        // taken, and it is never copied to a larger block, which near the limit would hold it
        // twice. A declared length is reserved so by the parser.
        if (chunked)
            parser_->get().body().reserve(state_->limits.maxBody);
        if (beast::iequals(header[bhttp::field::expect], "100-continue"))
            return sendContinue();
        readBody();
    }

    void sendContinue()
    {
        auto interim =
            std::make_shared<bhttp::response<bhttp::empty_body>>(bhttp::status::continue_, 11);
        bhttp::async_write(stream_, *interim,
                           [self = this->shared_from_this(), interim](error_code ec, std::size_t) {
                               if (ec)
                                   return self->close();
                               self->readBody();
                           });
    }

    void readBody()
    {
        bhttp::async_read(stream_, buffer_, *parser_,
                          [self = this->shared_from_this()](error_code ec, std::size_t) {
                              if (ec)
                                  return self->refuseUnreadable(ec);
                              self->dispatch();
                          });
    }

    void dispatch()
    {
        auto message = parser_->release();
        auto request = std::make_shared<Request>();
        request->method = std::string(message.method_string());
        request->target = std::string(message.target());
        request->session = std::string(message[kSessionHeader]);
        error_code ignored;
        request->source = lowest(stream_).socket().remote_endpoint(ignored).address().to_string();
        request->body = std::move(message.body());
        keepAlive_ = message.keep_alive();
        const bool gzipAnswer = acceptsGzip(message);
        asio::post(state_->pool, [self = this->shared_from_this(), request, gzipAnswer] {
            auto answer = self->handle(*request, gzipAnswer);
            request->body = std::string();
            asio::post(self->state_->io, [self, answer = std::move(answer)]() mutable {
                self->reservation_ = Reservation();
                self->write(std::move(answer));
            });
        });
    }

    // On a worker: decompresses, runs the handler and compresses the answer when agreed.
    std::shared_ptr<bhttp::response<bhttp::string_body>> handle(Request& request, bool gzipAnswer)
    {
        Reply reply;
        try {
            const auto unpacked =
                gzipped_ ? tvd::gunzip(request.body, state_->limits.maxBody) : tvd::Gunzip::Done;
            if (unpacked == tvd::Gunzip::TooLarge)
                reply = {413, faultBody(413, "请求过大",
                                        "解压后的请求体不能超过 " +
                                            std::to_string(state_->limits.maxBody) + " 字节")};
            else if (unpacked == tvd::Gunzip::Malformed)
                reply = {400, faultBody(400, "请求体不是合法的 gzip 数据",
                                        "Content-Encoding: gzip 的请求体须完整压缩")};
            else
                reply = state_->handler(request);
        } catch (const std::exception& e) {
            std::cerr << "rsimd: " << request.target << ": " << e.what() << std::endl;
            reply = {500, faultBody(500, "服务内部错误", "")};
        }
        auto answer = std::make_shared<bhttp::response<bhttp::string_body>>(
            static_cast<bhttp::status>(reply.status), 11);
        answer->set(bhttp::field::content_type, "application/json");
        if (gzipAnswer && reply.body.size() >= kCompressFrom) {
            reply.body = tvd::gzip(reply.body);
            answer->set(bhttp::field::content_encoding, "gzip");
        }
        answer->body() = std::move(reply.body);
        return answer;
    }

    void refuse(int status, const std::string& message, const std::string& hint)
    {
        auto answer = std::make_shared<bhttp::response<bhttp::string_body>>(
            static_cast<bhttp::status>(status), 11);
        answer->set(bhttp::field::content_type, "application/json");
        answer->body() = faultBody(status, message, hint);
        keepAlive_ = false; // the rest of what the peer sends cannot be trusted to frame a request
        write(std::move(answer));
    }

    void write(std::shared_ptr<bhttp::response<bhttp::string_body>> answer)
    {
        answer->set(bhttp::field::accept_encoding, "gzip"); // request bodies may come gzipped
        answer->keep_alive(keepAlive_);
        answer->prepare_payload();
        lowest(stream_).expires_after(state_->limits.requestDeadline);
        bhttp::async_write(stream_, *answer,
                           [self = this->shared_from_this(), answer](error_code ec, std::size_t) {
                               if (ec || !self->keepAlive_)
                                   return self->close();
                               self->waitForRequest();
                           });
    }

    void close()
    {
        error_code ignored;
        lowest(stream_).socket().shutdown(tcp::socket::shutdown_both, ignored);
        lowest(stream_).close();
    }

    std::shared_ptr<State> state_;
    Stream stream_;
    beast::flat_buffer buffer_;
    std::optional<bhttp::request_parser<bhttp::string_body>> parser_;
    Reservation reservation_;
    bool gzipped_ = false;
    bool keepAlive_ = true;
};

void accept(const std::shared_ptr<State>& state)
{
    state->acceptor.async_accept([state](error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted)
            return;
        if (!ec && state->connections < state->limits.maxConnections) {
            socket.set_option(tcp::no_delay(true), ec);
            if (state->tls)
                std::make_shared<Connection<beast::ssl_stream<beast::tcp_stream>>>(
                    state, std::move(socket), *state->tls)
                    ->start();
            else
                std::make_shared<Connection<beast::tcp_stream>>(state, std::move(socket))->start();
        }
        accept(state);
    });
}

} // namespace

Server::Server(Limits limits, std::size_t workers, Handler handler, const TlsFiles& tls)
    : state_(std::make_shared<State>(limits, workers, std::move(handler)))
{
    if (tls.certificate.empty())
        return;
    auto& context = state_->tls.emplace(asio::ssl::context::tls_server);
    context.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                        asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                        asio::ssl::context::no_tlsv1_1);
    try {
        context.use_certificate_chain_file(tls.certificate);
        context.use_private_key_file(tls.privateKey, asio::ssl::context::pem);
    } catch (const boost::system::system_error&) {
        throw std::runtime_error("cannot use the TLS certificate " + tls.certificate +
                                 " with the key " + tls.privateKey);
    }
}

Server::~Server()
{
    stop();
    state_->pool.join();
}

int Server::listen(const std::string& host, int port)
{
    error_code ec;
    const auto address = asio::ip::make_address(host == "localhost" ? "127.0.0.1" : host, ec);
    if (ec)
        throw std::runtime_error("not an IP address: " + host);
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    auto& acceptor = state_->acceptor;
    acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor.bind(endpoint, ec);
    if (!ec)
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
        throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) +
                                 " (address in use or not available)");
    return acceptor.local_endpoint().port();
}

void Server::run()
{
    accept(state_);
    state_->io.run();
    state_->pool.join();
}

void Server::stop()
{
    asio::post(state_->io, [state = state_] {
        error_code ignored;
        state->acceptor.close(ignored);
        state->io.stop();
    });
}

} // namespace rsim::http
