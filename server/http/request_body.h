// A request body as it arrives: inflated when it comes gzipped, held in memory while small and
// spooled above that to an unlinked temporary file (0600) that nobody else can open and that
// goes with the body. The body is then read from its start, as often as the call needs, through
// a stream buffer of fixed size: a request's memory does not depend on its size.
//
// Why a spool and not the decoder pulling from the connection: a write holds a database
// transaction (with SQLite the one writer lock) while it decodes, and a client that sends its
// body slowly would hold that lock as long as it likes; the limits of the JSON are checked in a
// pass of their own before any record is decoded; and a write that lost a race for a unique
// value runs again from the first record. A spooled body is whole, checked once and re-read.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace rsim::http {

// Bytes of spooled bodies held by all requests together, under a total.
class BodyBudget {
public:
    explicit BodyBudget(std::size_t total) : total_(total) {}
    bool reserve(std::size_t bytes);
    void release(std::size_t bytes) { used_ -= bytes; }
    std::size_t used() const { return used_; }

private:
    const std::size_t total_;
    std::atomic<std::size_t> used_{0};
};

class RequestBody {
public:
    enum class Fault { None, TooLarge, NotGzip, OverBudget, Spool };

    RequestBody();
    ~RequestBody();
    RequestBody(const RequestBody&) = delete;
    RequestBody& operator=(const RequestBody&) = delete;

    // Before the first byte: the limit of the body (inflated), whether it comes gzipped, the
    // folder of the spool and the budget its spooled bytes are taken from.
    void prepare(std::size_t limit, bool gzipped, std::string spoolFolder, BodyBudget* budget);
    // Before the first byte, when the body is to be digested as it arrives: the text that comes
    // before it in the digest.
    void digestAfter(std::string_view prefix);
    // Takes bytes as they arrive; false on a fault, which fault() then names.
    bool append(const char* data, std::size_t size);
    // After the last byte: false when a gzipped body stopped before its end.
    bool finish();
    Fault fault() const { return fault_; }

    std::size_t size() const { return size_; }
    // A new reader from the first byte; several may read at once. Reading a spool that the
    // system cannot read any more throws std::system_error.
    std::unique_ptr<std::streambuf> open() const;
    // The whole body as text (for the small bodies of a login).
    std::string text() const;
    // The SHA-256, in hex, of the prefix given to digestAfter and the body (inflated) so far;
    // empty when no digest was asked for. The body is not read again for it.
    std::string digest() const;

private:
    bool store(const char* data, std::size_t size);
    bool keep(const char* data, std::size_t size);
    bool spill();
    bool inflate(const char* data, std::size_t size);

    std::size_t limit_ = 0;
    std::string spoolFolder_;
    BodyBudget* budget_ = nullptr;
    std::string memory_;
    int file_ = -1;
    std::size_t size_ = 0;
    std::size_t reserved_ = 0;
    Fault fault_ = Fault::None;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    struct Digest;
    std::unique_ptr<Digest> digest_;
};

} // namespace rsim::http
