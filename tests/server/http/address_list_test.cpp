// Address lists: which peers they hold, and the source of a request forwarded by trusted proxies.
#include "address_list.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

namespace {

using rsim::http::AddressList;

TEST(AddressList, HoldsItsAddressesAndNetworksWhateverTheFormOfThePeer)
{
    const AddressList list({"10.1.0.0/16", "192.168.1.1", "2001:db8::/32", "172.16.0.0/12"});
    const std::pair<const char*, bool> peers[] = {
        {"10.1.255.255", true},
        {"10.2.0.0", false},
        {"192.168.1.1", true},
        {"192.168.1.2", false},
        {"::ffff:10.1.2.3", true}, // IPv4 mapped into IPv6
        {"2001:db8:ffff::1", true},
        {"2001:db9::1", false},
        {"172.31.0.1", true},
        {"172.32.0.1", false},
        {"127.0.0.1", false},
        {"not an address", false},
        {"", false},
    };
    for (const auto& [peer, held] : peers)
        EXPECT_EQ(list.contains(peer), held) << peer;
    EXPECT_TRUE(AddressList({"0.0.0.0/0"}).contains("203.0.113.9"));
    EXPECT_FALSE(AddressList({"0.0.0.0/0"}).contains("::1")) << "a network holds its own family";
    for (const char* bad : {"10.0.0.0/33", "::/129", "10.0.0.0/", "10.0.0.0/x", "host", "10.0.0/8"})
        EXPECT_THROW(AddressList({bad}), std::invalid_argument) << bad;
}

TEST(AddressList, TheSourceIsTheLastForwardedHopThatNoTrustedProxyIs)
{
    const AddressList proxies({"127.0.0.1", "10.0.0.0/8"});
    const std::array<const char*, 3> cases[] = {
        // peer, X-Forwarded-For, source
        {"203.0.113.5", "198.51.100.1", "203.0.113.5"}, // not a proxy: its header is ignored
        {"127.0.0.1", "", "127.0.0.1"},
        {"127.0.0.1", "198.51.100.1", "198.51.100.1"},
        {"127.0.0.1", "6.6.6.6, 198.51.100.1, 10.0.0.2", "198.51.100.1"},
        {"127.0.0.1", "10.0.0.3,10.0.0.2", "10.0.0.3"},
        {"127.0.0.1", "198.51.100.1, junk", "127.0.0.1"},
        {"::ffff:127.0.0.1", " 198.51.100.1\t", "198.51.100.1"},
    };
    for (const auto& [peer, forwarded, source] : cases)
        EXPECT_EQ(proxies.sourceOf(peer, forwarded), source) << peer << " / " << forwarded;
}

} // namespace
