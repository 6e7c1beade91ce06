#include "request_body.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>
#include <system_error>

namespace rsim::http {
namespace {

constexpr std::size_t kHeldInMemory = 64 * 1024; // larger bodies go to the spool
constexpr std::size_t kReadBuffer = 64 * 1024;   // of a reader, and of inflated text at once

// An unlinked file in the folder, readable by this process only: O_TMPFILE where the file
// system has it, a named file removed at once where it has not.
int unlinkedFile(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR))
        return fd;
    std::string path = folder + "/rsimd-body-XXXXXX";
    const int named = ::mkostemp(path.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(path.c_str());
    return named;
}

// Reads a body from its start: from memory as it is, from the spool a buffer at a time.
class MemoryReader : public std::streambuf {
public:
    explicit MemoryReader(const std::string& text)
    {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

class SpoolReader : public std::streambuf {
public:
    SpoolReader(int file, std::size_t size) : file_(file), size_(size), buffer_(kReadBuffer, '\0')
    {}

protected:
    int_type underflow() override
    {
        if (offset_ >= size_)
            return traits_type::eof();
        const std::size_t want = std::min(buffer_.size(), size_ - offset_);
        const ssize_t n = ::pread(file_, buffer_.data(), want, static_cast<off_t>(offset_));
        if (n <= 0)
            throw std::system_error(n < 0 ? errno : EIO, std::generic_category(),
                                    "reading a spooled request body");
        offset_ += static_cast<std::size_t>(n);
        setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
        return traits_type::to_int_type(buffer_[0]);
    }

private:
    int file_;
    std::size_t size_;
    std::size_t offset_ = 0;
    std::string buffer_;
};

} // namespace

bool BodyBudget::reserve(std::size_t bytes)
{
    std::size_t used = used_.load();
    do {
        if (bytes > total_ - std::min(used, total_))
            return false;
    } while (!used_.compare_exchange_weak(used, used + bytes));
    return true;
}

struct RequestBody::Inflater {
    Inflater() { ok = inflateInit2(&stream, 15 + 16) == Z_OK; } // 16: gzip header and trailer
    ~Inflater() { inflateEnd(&stream); }
    z_stream stream{};
    bool ok = false;
    bool ended = false;
    std::string out = std::string(kReadBuffer, '\0');
};

// SHA-256 by OpenSSL, which uses the processor's SHA instructions where it has them: five times
// the speed of a portable implementation on a 100 MB write.
struct RequestBody::Digest {
    Digest()
    {
        if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
            throw std::bad_alloc();
    }
    void add(const char* data, std::size_t size) { EVP_DigestUpdate(context.get(), data, size); }
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context{EVP_MD_CTX_new(), EVP_MD_CTX_free};
};

RequestBody::RequestBody() = default;

RequestBody::~RequestBody()
{
    if (file_ >= 0)
        ::close(file_);
    if (budget_ != nullptr)
        budget_->release(reserved_);
}

void RequestBody::prepare(std::size_t limit, bool gzipped, std::string spoolFolder,
                          BodyBudget* budget)
{
    limit_ = limit;
    spoolFolder_ = std::move(spoolFolder);
    budget_ = budget;
    if (gzipped)
        inflater_ = std::make_unique<Inflater>();
}

void RequestBody::digestAfter(std::string_view prefix)
{
    digest_ = std::make_unique<Digest>();
    digest_->add(prefix.data(), prefix.size());
}

std::string RequestBody::digest() const
{
    if (!digest_)
        return "";
    const Digest copy; // the body's digest goes on
    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_MD_CTX_copy_ex(copy.context.get(), digest_->context.get()) != 1 ||
        EVP_DigestFinal_ex(copy.context.get(), hash, &size) != 1)
        throw std::runtime_error("the digest of a request body could not be taken");
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size; ++i)
        text.append({hex[hash[i] >> 4], hex[hash[i] & 0xF]});
    return text;
}

bool RequestBody::append(const char* data, std::size_t size)
{
    if (fault_ != Fault::None)
        return false;
    return inflater_ ? inflate(data, size) : store(data, size);
}

bool RequestBody::finish()
{
    if (inflater_ && fault_ == Fault::None && !inflater_->ended)
        fault_ = Fault::NotGzip;
    return fault_ == Fault::None;
}

// The inflated text is stored as it comes out, a buffer at a time: a small bomb stops at the
// limit having held one buffer. Bytes after the end of the gzip stream make it malformed.
bool RequestBody::inflate(const char* data, std::size_t size)
{
    Inflater& z = *inflater_;
    if (!z.ok || (z.ended && size > 0)) {
        fault_ = Fault::NotGzip;
        return false;
    }
    z.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.stream.avail_in = static_cast<uInt>(size);
    while (z.stream.avail_in > 0 && !z.ended) {
        z.stream.next_out = reinterpret_cast<Bytef*>(z.out.data());
        z.stream.avail_out = static_cast<uInt>(z.out.size());
        const int status = ::inflate(&z.stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            fault_ = Fault::NotGzip;
            return false;
        }
        z.ended = status == Z_STREAM_END;
        if (!store(z.out.data(), z.out.size() - z.stream.avail_out))
            return false;
        if (status == Z_BUF_ERROR && z.stream.avail_out > 0)
            break; // needs more input than this piece holds
    }
    if (z.ended && z.stream.avail_in > 0) {
        fault_ = Fault::NotGzip;
        return false;
    }
    return true;
}

// Bytes of the body as they come, digested once.
bool RequestBody::store(const char* data, std::size_t size)
{
    if (digest_)
        digest_->add(data, size);
    return keep(data, size);
}

bool RequestBody::keep(const char* data, std::size_t size)
{
    if (size > limit_ - std::min(size_, limit_)) {
        fault_ = Fault::TooLarge;
        return false;
    }
    if (file_ < 0 && memory_.size() + size <= kHeldInMemory) {
        memory_.append(data, size);
        size_ += size;
        return true;
    }
    if (file_ < 0 && !spill())
        return false;
    if (budget_ != nullptr && !budget_->reserve(size)) {
        fault_ = Fault::OverBudget;
        return false;
    }
    reserved_ += budget_ != nullptr ? size : 0;
    for (std::size_t written = 0; written < size;) {
        const ssize_t n = ::write(file_, data + written, size - written);
        if (n <= 0) {
            fault_ = Fault::Spool;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    size_ += size;
    return true;
}

// Moves what memory holds to a new spool file.
bool RequestBody::spill()
{
    file_ = unlinkedFile(spoolFolder_);
    if (file_ < 0) {
        fault_ = Fault::Spool;
        return false;
    }
    std::string held = std::move(memory_);
    memory_ = std::string();
    size_ = 0;
    return held.empty() || keep(held.data(), held.size());
}

std::unique_ptr<std::streambuf> RequestBody::open() const
{
    if (file_ < 0)
        return std::make_unique<MemoryReader>(memory_);
    return std::make_unique<SpoolReader>(file_, size_);
}

std::string RequestBody::text() const
{
    if (file_ < 0)
        return memory_;
    std::string all(size_, '\0');
    if (size_ > 0 && open()->sgetn(all.data(), static_cast<std::streamsize>(size_)) !=
                         static_cast<std::streamsize>(size_))
        throw std::system_error(EIO, std::generic_category(), "reading a spooled request body");
    return all;
}

} // namespace rsim::http
