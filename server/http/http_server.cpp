#include "http_server.h"

#include "address_list.h"

#include "gzip.h"
#include "tvd_json.h"

#include <utility> // before Asio 1.74, which uses std::exchange without it

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <atomic>
#include <iostream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <variant>

namespace rsim::http {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = beast::http;
using tcp = asio::ip::tcp;
using beast::error_code;
using Clock = std::chrono::steady_clock;

std::string faultBody(int status, const std::string& message, const std::string& hint)
{
    CBSErrorMsg error;
    error.set(-1, status, message, hint);
    return tvd::wire::encodeFault(-1, error);
}

namespace {

// The answer to a request whose handler threw: its fault is logged, never sent.
Reply internalFault(const std::string& target, const std::exception& e)
{
    std::cerr << "rsimd: " << target << ": " << e.what() << std::endl;
    return {500, faultBody(500, "服务内部错误", "详情见服务日志")};
}

constexpr std::size_t kCompressFrom = 8 * 1024; // smaller answers are not worth compressing
constexpr const char* kTls12Ciphers =
    "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:ECDHE-ECDSA-CHACHA20-POLY1305:"
    "ECDHE-RSA-CHACHA20-POLY1305:ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256";
constexpr std::size_t kReadSize = 64 * 1024; // read from a connection at a time
// The longest chunk line (size and extensions) and trailer: the parser takes neither until it is
// whole, so the buffer holds it meanwhile.
constexpr std::size_t kLineLimit = 4 * 1024;

// The body of a parsed request: bytes go to a RequestBody as the parser frees them from their
// framing (Content-Length or chunked). The parser makes its reader when it is made itself,
// before the body is given to the message.
struct SpooledBody {
    using value_type = std::shared_ptr<RequestBody>;

    class reader {
    public:
        template <bool isRequest, class Fields>
        reader(bhttp::header<isRequest, Fields>&, value_type& body) : body_(body)
        {}
        void init(const boost::optional<std::uint64_t>&, error_code& ec) { ec = {}; }
        template <class Buffers>
        std::size_t put(const Buffers& buffers, error_code& ec)
        {
            std::size_t taken = 0;
            for (const auto buffer : beast::buffers_range_ref(buffers)) {
                if (!body_->append(static_cast<const char*>(buffer.data()), buffer.size())) {
                    ec = bhttp::error::body_limit; // the fault itself is in the body
                    return taken;
                }
                taken += buffer.size();
            }
            ec = {};
            return taken;
        }
        void finish(error_code& ec)
        {
            ec = body_->finish() ? error_code() : error_code(bhttp::error::body_limit);
        }

    private:
        value_type& body_;
    };
};

using Parser = bhttp::request_parser<SpooledBody>;

bool acceptsGzip(const bhttp::request_header<>& header)
{
    for (const auto& coding : bhttp::token_list(header[bhttp::field::accept_encoding]))
        if (beast::iequals(coding, "gzip"))
            return true;
    return false;
}

// Counts per address under a share; taken and given back from any thread.
class Shares {
public:
    explicit Shares(std::size_t share) : share_(share) {}
    bool take(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        std::size_t& count = counts_[address];
        if (count >= share_)
            return false;
        ++count;
        return true;
    }
    void giveBack(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        if (--counts_[address] == 0)
            counts_.erase(address);
    }

private:
    const std::size_t share_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::size_t> counts_;
};

class Stoppable {
public:
    virtual ~Stoppable() = default;
    virtual void onStop() = 0;
};

} // namespace

struct Server::State {
    State(Limits l, std::size_t workers, Routes r)
        : limits(std::move(l)), routes(std::move(r)), pool(workers),
          monitoringPool(limits.monitoringWorkers), budget(limits.bodyBudget),
          connectionShares(limits.connectionsPerAddress), requestShares(limits.requestsPerAddress),
          trustedProxies(limits.trustedProxies)
    {}

    Limits limits;
    const Routes routes;
    asio::io_context io{1};
    asio::thread_pool pool;
    asio::thread_pool monitoringPool;
    tcp::acceptor acceptor{io};
    std::optional<asio::ssl::context> tls;
    BodyBudget budget;
    Shares connectionShares;
    Shares requestShares;
    AddressList trustedProxies;
    std::atomic<std::size_t> connections{0};
    std::atomic<std::size_t> inFlight{0};
    std::atomic<bool> stopping{false};
    bool timedOut = false;
    std::mutex liveMutex;
    std::map<Stoppable*, std::weak_ptr<Stoppable>> live;
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

// A request in flight, counted in the server and in the share of its source address.
class InFlight {
public:
    InFlight(State& state, std::string source) : state_(&state), source_(std::move(source))
    {
        ++state_->inFlight;
    }
    ~InFlight()
    {
        --state_->inFlight;
        state_->requestShares.giveBack(source_);
    }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

private:
    State* state_;
    std::string source_;
};

// One connection: reads a request's header under its limits, has it admitted on a worker, reads
// the body of an admitted request (the admitting worker takes what came with the header), has a
// worker run the call, writes the answer, and waits for the next request of a keep-alive
// connection. A request's state is touched by one thread at a time: the I/O thread, or the worker
// it was posted to until that worker posts it back.
template <class Stream>
class Connection : public Stoppable, public std::enable_shared_from_this<Connection<Stream>> {
public:
    template <class... Args>
    Connection(std::shared_ptr<State> state, std::string peer, bool sharesPeer, Args&&... args)
        : state_(std::move(state)), peer_(std::move(peer)), sharesPeer_(sharesPeer),
          stream_(std::forward<Args>(args)...)
    {
        buffer_.max_size(state_->limits.maxHeader + kLineLimit + kReadSize);
        ++state_->connections;
    }
    ~Connection() override
    {
        {
            std::lock_guard lock(state_->liveMutex);
            state_->live.erase(this);
        }
        if (sharesPeer_)
            state_->connectionShares.giveBack(peer_);
        --state_->connections;
    }

    void start()
    {
        {
            std::lock_guard lock(state_->liveMutex);
            state_->live.emplace(this, this->shared_from_this());
        }
        if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
            waitForRequest();
        } else {
            // A handshake is not a request yet: it gets the idle time.
            handshaking_ = true;
            lowest(stream_).expires_after(state_->limits.idleTimeout);
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](error_code ec) {
                                        self->handshaking_ = false;
                                        if (!ec)
                                            self->waitForRequest();
                                    });
        }
    }

    // On the I/O thread: a connection in its handshake, or waiting for a request that has not
    // begun to arrive, is closed; the others, and one whose first bytes are already here, close
    // once answered.
    void onStop() override
    {
        keepAlive_ = false;
        error_code ec;
        if (handshaking_ || (waiting_ && lowest(stream_).socket().available(ec) == 0))
            close();
    }

private:
    // A kept-alive connection may send nothing for the idle time; from its first byte on, the
    // request must keep up the minimum rate and arrive whole within the request deadline.
    void waitForRequest()
    {
        if (state_->stopping)
            return close();
        if (buffer_.size() > 0)
            return readHeader();
        waiting_ = true;
        lowest(stream_).expires_after(state_->limits.idleTimeout);
        stream_.async_read_some(buffer_.prepare(4096),
                                [self = this->shared_from_this()](error_code ec, std::size_t n) {
                                    self->waiting_ = false;
                                    if (ec)
                                        return self->close();
                                    self->buffer_.commit(n);
                                    self->readHeader();
                                });
    }

    void readHeader()
    {
        deadline_ = Clock::now() + state_->limits.requestDeadline;
        startPhase();
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(state_->limits.maxHeader));
        parser_->body_limit(state_->limits.maxBody);
        parser_->get().body() = std::make_shared<RequestBody>();
        readHeaderPiece();
    }

    void readHeaderPiece()
    {
        if (const auto ec = parseBuffered())
            return refuseUnreadable(ec);
        if (!parser_->is_header_done())
            return readMore(&Connection::readHeaderPiece);
        checkHeader();
    }

    // Header and body are read a piece at a time, each piece under the cut-off of the bytes the
    // parser has taken so far, then parsed by next. Bytes it cannot take yet wait in the buffer:
    // a header up to its limit, a chunk line or trailer up to kLineLimit. Bytes that are never
    // taken earn no time.
    void readMore(void (Connection::*next)())
    {
        lowest(stream_).expires_at(cutOff());
        stream_.async_read_some(buffer_.prepare(kReadSize), [self = this->shared_from_this(),
                                                             next](error_code ec, std::size_t n) {
            if (ec)
                return self->close(); // the peer went away, timed out or broke off
            self->buffer_.commit(n);
            ((*self).*next)();
        });
    }

    void startPhase()
    {
        phaseStart_ = Clock::now();
        received_ = 0;
    }

    // The grace, then a second for every minRate bytes received, never past the deadline.
    Clock::time_point cutOff() const
    {
        const auto earned = std::chrono::milliseconds(
            received_ * 1000 / std::max<std::size_t>(state_->limits.minRate, 1));
        return std::min(deadline_, phaseStart_ + state_->limits.rateGrace + earned);
    }

    void refuseUnreadable(error_code ec)
    {
        if (ec == bhttp::error::body_limit)
            return refuseBody();
        if (ec == bhttp::error::header_limit)
            return refuse(400, "请求头过大",
                          "请求头不能超过 " + std::to_string(state_->limits.maxHeader) + " 字节");
        if (ec == bhttp::error::bad_content_length)
            return refuse(400, "Content-Length 不合法", "应为不超过请求体上限的非负整数");
        if (ec == bhttp::error::bad_transfer_encoding)
            return refuse(400, "Transfer-Encoding 不合法", "只支持 chunked 分块传输");
        refuse(400, "请求不是合法的HTTP/1.1请求", "");
    }

    // A body the parser or the spool refused.
    void refuseBody()
    {
        const auto fault = parser_->get().body()->fault();
        if (fault == RequestBody::Fault::NotGzip)
            return refuse(400, "请求体不是合法的 gzip 数据",
                          "Content-Encoding: gzip 的请求体须完整压缩");
        if (fault == RequestBody::Fault::OverBudget)
            return refuse(503, "服务繁忙，请稍后重试", "同时进行的大请求过多");
        if (fault == RequestBody::Fault::Spool) {
            std::cerr << "rsimd: cannot spool a request body in " << state_->limits.spoolFolder
                      << std::endl;
            return refuse(500, "服务内部错误", "");
        }
        const std::size_t limit = admitted_ ? route_->maxBody : state_->limits.maxBody;
        refuse(413, "请求过大",
               (gzipped_ ? "解压后的请求体不能超过 " : "请求体不能超过 ") + std::to_string(limit) +
                   " 字节");
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
        const auto view = [](beast::string_view text) {
            return std::string_view(text.data(), text.size());
        };
        const auto found = state_->routes.find(view(header.method_string()), view(header.target()));
        if (const auto* refusal = std::get_if<Reply>(&found))
            return answerRefusal(*refusal);
        route_ = std::get<const Route*>(found);
        const bool framed = chunked || header.count(bhttp::field::content_length) != 0;
        if (header.method() == bhttp::verb::post && !framed && !route_->bodyOptional)
            return refuse(411, "请求缺少 Content-Length",
                          "POST 请求须带 Content-Length 或分块传输(chunked)");
        if (state_->stopping)
            return refuse(503, "服务正在停止，请稍后重试", "");
        admit();
    }

    void admit()
    {
        const auto& header = parser_->get();
        auto head = std::make_shared<RequestHead>();
        head->method = std::string(header.method_string());
        head->target = std::string(header.target());
        head->session = std::string(header["X-Tav-Session"]);
        head->requestId = std::string(header["X-Tav-Request-Id"]);
        head->peer = peer_;
        std::string forwardedFor;
        const auto [first, last] = header.equal_range("X-Forwarded-For");
        for (auto field = first; field != last; ++field)
            forwardedFor += (forwardedFor.empty() ? "" : ",") + std::string(field->value());
        head->source = state_->trustedProxies.sourceOf(peer_, forwardedFor);
        if (!state_->requestShares.take(head->source))
            return refuse(503, "服务繁忙，请稍后重试", "同一地址同时进行的请求过多");
        inFlight_.emplace(*state_, head->source);
        head_ = head;
        if (route_->monitoring)
            return answerMonitoring();
        const auto waitStart = Clock::now();
        asio::post(state_->pool, [self = this->shared_from_this(), head, waitStart] {
            Admission admission;
            try {
                if (self->route_->admit)
                    admission = self->route_->admit(*head);
            } catch (const std::exception& e) {
                admission.refusal = internalFault(head->target, e);
            }
            self->deadline_ += Clock::now() - waitStart; // the wait is the server's, not the peer's
            self->admitted(admission);
        });
    }

    // Has the I/O thread go on with the connection, from a worker.
    template <class Step>
    void onIo(Step step)
    {
        asio::post(state_->io, [self = this->shared_from_this(), step = std::move(step)]() mutable {
            step(*self);
        });
    }

    void answerMonitoring()
    {
        if (!parser_->is_done())
            return refuse(405, "请求方法不对", "请用不带请求体的 GET");
        keepAlive_ = keepAlive_ && parser_->get().keep_alive();
        lowest(stream_).expires_never();
        asio::post(state_->monitoringPool, [self = this->shared_from_this()] {
            const Request request{*self->head_, *self->parser_->get().body(), self->found_};
            auto answer = self->handle([&] { return self->route_->handle(request); }, false);
            self->onIo([answer = std::move(answer)](Connection& c) mutable {
                c.write(std::move(answer));
            });
        });
    }

    // On the worker that admitted the request. A body that came with its header, as a small
    // call's does, is taken from the buffer and the call run on this same worker; the I/O thread
    // answers a refusal and reads a body that is still on its way.
    void admitted(const Admission& admission)
    {
        if (admission.refusal)
            return onIo(
                [refusal = *admission.refusal](Connection& c) { c.answerRefusal(refusal); });
        admitted_ = true;
        found_ = admission.found;
        const std::size_t maxBody = route_->maxBody;
        if (parser_->content_length().value_or(0) > maxBody)
            return onIo([](Connection& c) { c.refuseBody(); });
        parser_->body_limit(maxBody);
        parser_->get().body()->prepare(maxBody, gzipped_, state_->limits.spoolFolder,
                                       &state_->budget);
        if (!admission.digestAfter.empty())
            parser_->get().body()->digestAfter(admission.digestAfter);
        startPhase();
        if (beast::iequals(parser_->get()[bhttp::field::expect], "100-continue"))
            return onIo([](Connection& c) { c.sendContinue(); });
        if (const auto ec = parseBuffered())
            return onIo([ec](Connection& c) { c.refuseUnreadable(ec); });
        if (parser_->is_done())
            return respond();
        onIo([](Connection& c) { c.readBody(); });
    }

    // Parses what the buffer holds of the header, or once admitted of the body.
    error_code parseBuffered()
    {
        error_code ec;
        while (buffer_.size() > 0 && !parser_->is_done() &&
               (admitted_ || !parser_->is_header_done())) {
            const std::size_t used = parser_->put(buffer_.data(), ec);
            buffer_.consume(used);
            received_ += used;
            if (ec == bhttp::error::need_more)
                return {};
            if (ec || used == 0)
                break;
        }
        return ec;
    }

    void sendContinue()
    {
        auto interim =
            std::make_shared<bhttp::response<bhttp::empty_body>>(bhttp::status::continue_, 11);
        lowest(stream_).expires_at(deadline_);
        bhttp::async_write(stream_, *interim,
                           [self = this->shared_from_this(), interim](error_code ec, std::size_t) {
                               if (ec)
                                   return self->close();
                               self->readBody();
                           });
    }

    void readBody()
    {
        if (const auto ec = parseBuffered())
            return refuseUnreadable(ec);
        if (parser_->is_done()) {
            lowest(stream_).expires_never();
            return asio::post(state_->pool, [self = this->shared_from_this()] { self->respond(); });
        }
        if (buffer_.size() > kLineLimit)
            return refuse(400, "请求体的分块行或尾部过长",
                          "分块的长度行和尾部字段各不能超过 " + std::to_string(kLineLimit) +
                              " 字节");
        readMore(&Connection::readBody);
    }

    // On a worker: runs the call and has its answer written; a deferred handler's answer is
    // written whenever it comes, from whichever thread gives it.
    void respond()
    {
        const auto& message = parser_->get();
        const Request request{*head_, *message.body(), found_};
        Respond send = [self = this->shared_from_this(), keepAlive = message.keep_alive(),
                        gzipAnswer = acceptsGzip(message),
                        sent = std::make_shared<std::atomic<bool>>(false)](Reply reply) {
            if (sent->exchange(true))
                return;
            auto answer = self->answerOf(reply, gzipAnswer);
            self->onIo([answer = std::move(answer), keepAlive](Connection& c) mutable {
                c.keepAlive_ = c.keepAlive_ && keepAlive;
                c.write(std::move(answer));
            });
        };
        try {
            if (route_->handleLater)
                return route_->handleLater(request, send);
            send(route_->handle(request));
        } catch (const std::exception& e) {
            send(internalFault(head_->target, e));
        }
    }

    // On a worker: runs the handler and compresses the answer when agreed.
    std::shared_ptr<bhttp::response<bhttp::string_body>>
    handle(const std::function<Reply()>& handler, bool gzipAnswer)
    {
        Reply reply;
        try {
            reply = handler();
        } catch (const std::exception& e) {
            reply = internalFault(head_->target, e);
        }
        return answerOf(reply, gzipAnswer);
    }

    // The response of a reply, compressed when agreed and worth it.
    static std::shared_ptr<bhttp::response<bhttp::string_body>> answerOf(Reply& reply,
                                                                         bool gzipAnswer)
    {
        auto answer = response(reply);
        if (gzipAnswer && answer->body().size() >= kCompressFrom) {
            answer->body() = tvd::gzip(answer->body());
            answer->set(bhttp::field::content_encoding, "gzip");
        }
        return answer;
    }

    static std::shared_ptr<bhttp::response<bhttp::string_body>> response(Reply& reply)
    {
        auto answer = std::make_shared<bhttp::response<bhttp::string_body>>(
            static_cast<bhttp::status>(reply.status), 11);
        answer->set(bhttp::field::content_type, reply.contentType);
        if (reply.retryAfter > 0)
            answer->set(bhttp::field::retry_after, std::to_string(reply.retryAfter));
        answer->body() = std::move(reply.body);
        return answer;
    }

    // The rest of what the peer sends after a refused header cannot be trusted to frame a
    // request, and the body of a refused request is not read: the connection closes after the
    // answer, unless the request has no body.
    void answerRefusal(Reply reply)
    {
        const bool bodiless = !parser_->chunked() && parser_->content_length().value_or(0) == 0;
        keepAlive_ = keepAlive_ && bodiless && parser_->get().keep_alive();
        write(response(reply));
    }

    void refuse(int status, const std::string& message, const std::string& hint)
    {
        keepAlive_ = false;
        Reply reply{status, faultBody(status, message, hint)};
        write(response(reply));
    }

    void write(std::shared_ptr<bhttp::response<bhttp::string_body>> answer)
    {
        answer->set(bhttp::field::accept_encoding, "gzip"); // request bodies may come gzipped
        answer->keep_alive(keepAlive_ && !state_->stopping);
        answer->prepare_payload();
        lowest(stream_).expires_after(state_->limits.requestDeadline);
        bhttp::async_write(stream_, *answer,
                           [self = this->shared_from_this(), answer](error_code ec, std::size_t) {
                               self->finishRequest();
                               if (ec || !answer->keep_alive())
                                   return self->close();
                               self->waitForRequest();
                           });
    }

    void finishRequest()
    {
        route_ = nullptr;
        inFlight_.reset();
        head_.reset();
        parser_.reset(); // lets the body and its spool go
        admitted_ = false;
        found_.reset();
    }

    void close()
    {
        error_code ignored;
        lowest(stream_).socket().shutdown(tcp::socket::shutdown_both, ignored);
        lowest(stream_).close();
    }

    std::shared_ptr<State> state_;
    const std::string peer_;
    const bool sharesPeer_;
    Stream stream_;
    beast::flat_buffer buffer_;
    std::optional<Parser> parser_;
    const Route* route_ = nullptr; // of the request, once its header is read
    std::shared_ptr<const RequestHead> head_;
    std::optional<InFlight> inFlight_;
    Clock::time_point deadline_;
    Clock::time_point phaseStart_;
    std::size_t received_ = 0;
    bool admitted_ = false;
    std::any found_;
    bool gzipped_ = false;
    bool keepAlive_ = true;
    bool waiting_ = false;
    bool handshaking_ = false;
};

void accept(const std::shared_ptr<State>& state)
{
    state->acceptor.async_accept([state](error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || state->stopping)
            return;
        if (!ec && state->connections < state->limits.maxConnections) {
            const std::string peer = socket.remote_endpoint(ec).address().to_string();
            // A trusted proxy brings many clients on its connections: it has no share of its own.
            const bool sharesPeer = !state->trustedProxies.contains(peer);
            if (!ec && (!sharesPeer || state->connectionShares.take(peer))) {
                socket.set_option(tcp::no_delay(true), ec);
                if (state->tls)
                    std::make_shared<Connection<beast::ssl_stream<beast::tcp_stream>>>(
                        state, peer, sharesPeer, std::move(socket), *state->tls)
                        ->start();
                else
                    std::make_shared<Connection<beast::tcp_stream>>(state, peer, sharesPeer,
                                                                    std::move(socket))
                        ->start();
            }
        }
        accept(state);
    });
}

// After a stop, checks now and then whether every connection is done, or the stop timeout is
// over; either ends the I/O loop.
void awaitConnections(const std::shared_ptr<State>& state, Clock::time_point until)
{
    if (state->connections == 0)
        return state->io.stop();
    if (Clock::now() >= until) {
        state->timedOut = true;
        return state->io.stop();
    }
    auto timer = std::make_shared<asio::steady_timer>(state->io, std::chrono::milliseconds(50));
    timer->async_wait([state, until, timer](error_code) { awaitConnections(state, until); });
}

// Runs tick after period on the I/O thread, and again after each run.
void repeat(const std::shared_ptr<asio::steady_timer>& timer, std::chrono::milliseconds period,
            std::function<void()> tick)
{
    timer->expires_after(period);
    timer->async_wait([timer, period, tick = std::move(tick)](error_code ec) mutable {
        if (ec)
            return;
        tick();
        repeat(timer, period, std::move(tick));
    });
}

} // namespace

Server::Server(Limits limits, std::size_t workers, Routes routes, const TlsFiles& tls)
    : state_(std::make_shared<State>(std::move(limits), workers, std::move(routes)))
{
    if (tls.certificate.empty())
        return;
    auto& context = state_->tls.emplace(asio::ssl::context::tls_server);
    context.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                        asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                        asio::ssl::context::no_tlsv1_1);
    // TLS 1.2 and 1.3 only; the server's order decides, and TLS 1.2 offers AEAD suites with
    // forward secrecy only (TLS 1.3 has no others). No renegotiation.
    SSL_CTX* native = context.native_handle();
    SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    SSL_CTX_set_options(native, SSL_OP_CIPHER_SERVER_PREFERENCE | SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_cipher_list(native, kTls12Ciphers);
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
    state_->monitoringPool.join();
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

void Server::every(std::chrono::milliseconds period, std::function<void()> tick)
{
    repeat(std::make_shared<asio::steady_timer>(state_->io), period, std::move(tick));
}

bool Server::run()
{
    accept(state_);
    state_->io.run();
    if (state_->timedOut)
        return false;
    state_->pool.join();
    state_->monitoringPool.join();
    return true;
}

void Server::stop()
{
    asio::post(state_->io, [state = state_] {
        if (state->stopping.exchange(true))
            return;
        error_code ignored;
        state->acceptor.close(ignored);
        std::vector<std::shared_ptr<Stoppable>> live;
        {
            std::lock_guard lock(state->liveMutex);
            for (const auto& [key, connection] : state->live)
                if (auto locked = connection.lock())
                    live.push_back(std::move(locked));
        }
        for (const auto& connection : live)
            connection->onStop();
        awaitConnections(state, Clock::now() + state->limits.stopTimeout);
    });
}

std::size_t Server::bodyBytesHeld() const
{
    return state_->budget.used();
}

std::size_t Server::requestsInFlight() const
{
    return state_->inFlight;
}

} // namespace rsim::http
