#include "gzip.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace tvd {
namespace {

constexpr int kGzipWindow = 15 + 16; // zlib's window bits plus 16: gzip header and trailer

} // namespace

std::string gzip(const std::string& plain)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib: deflateInit2 failed");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    // The packed text grows as it is written: room for the worst case at once would be as large
    // as the plain text.
    std::string packed;
    int status = Z_OK;
    while (status == Z_OK) {
        const std::size_t have = packed.size();
        const std::size_t step = std::max<std::size_t>(have, 64 * 1024);
        packed.resize(have + step);
        stream.next_out = reinterpret_cast<Bytef*>(packed.data() + have);
        stream.avail_out = static_cast<uInt>(step);
        status = deflate(&stream, Z_FINISH);
        packed.resize(have + step - stream.avail_out);
        if (status == Z_BUF_ERROR && stream.avail_out == 0)
            status = Z_OK; // out of room only
    }
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("zlib: deflate did not finish");
    return packed;
}

Gunzip gunzip(std::string& text, std::size_t limit)
{
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindow) != Z_OK)
        return Gunzip::Malformed;
    // Room for the limit at once: only the pages written are taken, and the text is never
    // copied to a larger block, which at the limit would hold it twice.
    std::string plain;
    plain.reserve(limit + 1);
    stream.next_in = reinterpret_cast<Bytef*>(text.data());
    stream.avail_in = static_cast<uInt>(text.size());
    int status = Z_OK;
    while (status == Z_OK) {
        if (plain.size() >= limit + 1) {
            status = Z_BUF_ERROR;
            break;
        }
        const std::size_t have = plain.size();
        const std::size_t step =
            std::min<std::size_t>(std::max<std::size_t>(have, 64 * 1024), limit + 1 - have);
        plain.resize(have + step);
        stream.next_out = reinterpret_cast<Bytef*>(plain.data() + have);
        stream.avail_out = static_cast<uInt>(step);
        status = inflate(&stream, Z_NO_FLUSH);
        plain.resize(have + step - stream.avail_out);
        if (status == Z_BUF_ERROR && stream.avail_in > 0 && stream.avail_out == 0)
            status = Z_OK;
    }
    const bool whole = status == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    if (plain.size() > limit)
        return Gunzip::TooLarge;
    if (!whole)
        return Gunzip::Malformed;
    text = std::move(plain);
    return Gunzip::Done;
}

} // namespace tvd
