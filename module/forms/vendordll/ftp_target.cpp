#include "ftp_target.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kSchemeLength = 6; // "ftp://", dropped unchecked

// The text between two positions; empty when it would be shorter than one character.
std::string between(const std::string& text, std::size_t after, std::size_t before)
{
    return before > after + 1 ? text.substr(after + 1, before - after - 1) : std::string();
}

bool allDigits(const std::string& text)
{
    return !text.empty() && text.size() <= 5 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

std::optional<FtpTarget> SplitFtpParameter(const std::string& value)
{
    const std::string rest =
        value.size() > kSchemeLength ? value.substr(kSchemeLength) : std::string();
    const std::size_t colon = rest.find(':');
    const std::size_t at = rest.find('@');
    const std::size_t slash = rest.find('/');
    if (at == std::string::npos || slash == std::string::npos || slash < at)
        return std::nullopt;
    FtpTarget target;
    target.user = colon == std::string::npos ? std::string() : rest.substr(0, colon);
    target.password = colon == std::string::npos ? std::string() : between(rest, colon, at);
    target.host = between(rest, at, slash);
    target.folder = between(rest, slash, rest.size() - 1);
    const std::size_t portColon = target.host.rfind(':');
    if (portColon != std::string::npos && allDigits(target.host.substr(portColon + 1))) {
        const unsigned long port = std::stoul(target.host.substr(portColon + 1));
        if (port == 0 || port > 65535)
            return std::nullopt;
        target.port = static_cast<unsigned short>(port);
        target.host.erase(portColon);
    }
    if (target.host.empty())
        return std::nullopt;
    return target;
}
