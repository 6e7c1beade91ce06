// Many clients at once: every call is answered and every write is stored exactly once.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "backend_test.h"

#include <thread>

namespace {

using namespace rsim::test;
using MResRemoteMgntDef::SResRemoteProvCode;
using MResRemoteMgntDef::SResRemoteProvCodeList;

class Concurrency : public BackendTest {};

TEST_P(Concurrency, ConcurrentWritersAndReadersAreAllServed)
{
    ASSERT_TRUE(server().login("admin", "admin123"));
    constexpr int kClients = 6;
    constexpr int kWritesEach = 15;
    std::vector<std::string> failures(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            MResRemoteMgntApp::IResRemoteMgnt remote;
            if (remote.bind(server().address()) != 0) {
                failures[c] = "bind failed";
                return;
            }
            MResRemoteMgntApp::SOpInfo info;
            for (int i = 0; i < kWritesEach && failures[c].empty(); ++i) {
                SResRemoteProvCodeList one;
                auto& province = *static_cast<SResRemoteProvCode*>(one.append());
                province.set_PROVINCE_CODE("C" + std::to_string(c * 100 + i));
                province.set_PROVINCE_NAME("并发");
                CBSErrorMsg error;
                SResRemoteProvCodeList all;
                if (remote.add_provinceCode(info, one, error, nullptr) != 0 ||
                    remote.qry_provinceCode(SResRemoteProvCode(), all, error, nullptr) != 0)
                    failures[c] = error.message + " " + error.hint;
            }
        });
    }
    for (auto& client : clients)
        client.join();
    for (const auto& failure : failures)
        EXPECT_EQ(failure, "");
    auto db = server().connect();
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ01'")), kClients * kWritesEach);

    SResRemoteProvCode criteria;
    criteria.set_PROVINCE_NAME("并发");
    SResRemoteProvCodeList found;
    CBSErrorMsg error;
    MResRemoteMgntApp::IResRemoteMgnt remote;
    ASSERT_EQ(remote.bind(server().address()), 0);
    ASSERT_EQ(remote.qry_provinceCode(criteria, found, error, nullptr), 0);
    EXPECT_EQ(found.count(), kClients * kWritesEach);
}

RSIM_TEST_ON_BOTH_BACKENDS(Concurrency);

} // namespace
