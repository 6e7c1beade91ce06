#include "source_address.h"

#include <boost/asio/ip/address.hpp>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace rsim::http {
namespace {

// The address in the form the peers' are written (an IPv4 address mapped into IPv6 as IPv4),
// or nothing when the text is not an address.
std::optional<std::string> canonical(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    boost::system::error_code ec;
    auto address = boost::asio::ip::make_address(std::string(text), ec);
    if (ec)
        return std::nullopt;
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        address = boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6());
    return address.to_string();
}

} // namespace

SourceAddress::SourceAddress(const std::vector<std::string>& trustedProxies)
{
    for (const auto& entry : trustedProxies) {
        const auto address = canonical(entry);
        if (!address)
            throw std::invalid_argument("not an IP address: '" + entry + "'");
        trusted_.push_back(*address);
    }
}

bool SourceAddress::trusted(const std::string& address) const
{
    const auto written = canonical(address);
    return written && std::find(trusted_.begin(), trusted_.end(), *written) != trusted_.end();
}

std::string SourceAddress::of(const std::string& peer, std::string_view forwardedFor) const
{
    std::string source = canonical(peer).value_or(peer);
    if (!trusted(source))
        return source;
    // From the right: each trusted hop vouches for the one to its left.
    while (!forwardedFor.empty()) {
        const std::size_t comma = forwardedFor.rfind(',');
        const std::string_view hop =
            comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1);
        forwardedFor =
            comma == std::string_view::npos ? std::string_view() : forwardedFor.substr(0, comma);
        const auto address = canonical(hop);
        if (!address)
            return source; // a hop that is no address: the last one vouched for stands
        source = *address;
        if (!trusted(source))
            return source;
    }
    return source;
}

} // namespace rsim::http
