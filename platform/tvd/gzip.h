// gzip framing of HTTP bodies (Content-Encoding / Accept-Encoding: gzip) on zlib, for both ends.
#pragma once

#include <cstddef>
#include <string>

namespace tvd {

std::string gzip(const std::string& plain);

enum class Gunzip { Done, Malformed, TooLarge };

// Replaces the gzip text by what it holds. Decompression stops at the limit, so a small bomb
// costs no more than the limit.
Gunzip gunzip(std::string& text, std::size_t limit);

} // namespace tvd
