#include "address_list.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace rsim::http {
namespace {

namespace ip = boost::asio::ip;

// The address written in the text, spaces and tabs around it ignored, an IPv4 address mapped
// into IPv6 as IPv4; nothing when the text is not an address.
std::optional<ip::address> parsed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    boost::system::error_code ec;
    const auto address = ip::make_address(std::string(text), ec);
    if (ec)
        return std::nullopt;
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return ip::make_address_v4(ip::v4_mapped, address.to_v6());
    return address;
}

std::vector<unsigned char> bytesOf(const ip::address& address)
{
    if (address.is_v4()) {
        const auto v4 = address.to_v4().to_bytes();
        return {v4.begin(), v4.end()};
    }
    const auto v6 = address.to_v6().to_bytes();
    return {v6.begin(), v6.end()};
}

// Whether the first prefix bits of both, which are of one family, are the same.
bool samePrefix(const ip::address& a, const ip::address& b, unsigned prefix)
{
    const auto left = bytesOf(a), right = bytesOf(b);
    for (unsigned bit = 0; bit < prefix; ++bit) {
        const unsigned mask = 0x80u >> (bit % 8);
        if ((left[bit / 8] & mask) != (right[bit / 8] & mask))
            return false;
    }
    return true;
}

} // namespace

AddressList::AddressList(const std::vector<std::string>& entries)
{
    for (const auto& entry : entries) {
        const std::size_t slash = entry.find('/');
        const auto base = parsed(std::string_view(entry).substr(0, slash));
        const unsigned width = base && base->is_v4() ? 32 : 128;
        unsigned prefix = width;
        if (base && slash != std::string::npos) {
            const std::string bits = entry.substr(slash + 1);
            const bool digits = !bits.empty() && bits.size() <= 3 &&
                                std::all_of(bits.begin(), bits.end(), ::isdigit);
            prefix = digits ? static_cast<unsigned>(std::stoul(bits)) : width + 1;
        }
        if (!base || prefix > width)
            throw std::invalid_argument("not an address or a network: '" + entry + "'");
        networks_.push_back({*base, prefix});
    }
}

bool AddressList::contains(const ip::address& address) const
{
    return std::any_of(networks_.begin(), networks_.end(), [&address](const Network& n) {
        return n.base.is_v4() == address.is_v4() && samePrefix(n.base, address, n.prefix);
    });
}

bool AddressList::contains(const std::string& address) const
{
    const auto peer = parsed(address);
    return peer && contains(*peer);
}

std::string AddressList::sourceOf(const std::string& peer, std::string_view forwardedFor) const
{
    auto source = parsed(peer);
    if (!source)
        return peer;
    // From the right: each trusted hop vouches for the one to its left.
    while (contains(*source) && !forwardedFor.empty()) {
        const std::size_t comma = forwardedFor.rfind(',');
        const auto hop =
            parsed(comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1));
        forwardedFor =
            comma == std::string_view::npos ? std::string_view() : forwardedFor.substr(0, comma);
        if (!hop)
            break; // a hop that is no address: the last one vouched for stands
        source = hop;
    }
    return source->to_string();
}

} // namespace rsim::http
