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
