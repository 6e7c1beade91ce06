#include "tvd_json_checks.h"

#include <simdjson.h>

namespace tvd::wire::detail {

std::size_t invalidUtf8At(const char* text, std::size_t length)
{
    std::size_t ascii = 0;
    for (std::uint64_t block; ascii + 8 <= length; ascii += 8) {
        std::memcpy(&block, text + ascii, 8);
        if ((block & 0x8080808080808080u) != 0)
            break;
    }
    while (ascii < length && static_cast<unsigned char>(text[ascii]) < 0x80)
        ++ascii;
    // simdjson checks the rest a block at a time; the place of a fault is found byte by byte.
    if (ascii == length || simdjson::validate_utf8(text + ascii, length - ascii))
        return length;
    return static_cast<std::size_t>(utf8::find_invalid(text + ascii, text + length) - text);
}

std::size_t faultyByteOf(const char* sequence, std::size_t length)
{
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (lead < 0xC2 || lead > 0xF4)
        return 0;
    const std::size_t size = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    for (std::size_t i = 1; i < size; ++i) {
        if (i >= length)
            return i;
        unsigned low = 0x80, high = 0xBF; // the second byte of a few leads is narrower
        if (i == 1 && lead == 0xE0)
            low = 0xA0;
        else if (i == 1 && lead == 0xED)
            high = 0x9F;
        else if (i == 1 && lead == 0xF0)
            low = 0x90;
        else if (i == 1 && lead == 0xF4)
            high = 0x8F;
        const auto byte = static_cast<unsigned char>(sequence[i]);
        if (byte < low || byte > high)
            return i;
    }
    return size;
}

bool ObjectNames::add(std::string_view name)
{
    if (count_ < kListed) {
        const auto listed = list_.begin() + static_cast<std::ptrdiff_t>(count_);
        if (std::find(list_.begin(), listed, name) != listed)
            return false;
        if (count_ < list_.size())
            list_[count_].assign(name);
        else
            list_.emplace_back(name);
        ++count_;
        return true;
    }
    if (count_++ == kListed)
        many_.insert(list_.begin(), list_.end());
    return many_.emplace(name).second;
}

} // namespace tvd::wire::detail
