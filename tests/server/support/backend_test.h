// A GoogleTest fixture that gives each test its own TestServer, once per backend:
//
//     class Sessions : public rsim::test::BackendTest {};
//     TEST_P(Sessions, …) { server().address() … }
//     RSIM_TEST_ON_BOTH_BACKENDS(Sessions);
//
// The PostgreSQL instance is skipped, saying why, when RSIM_TEST_PG is not set.
#pragma once

#include "test_server.h"

#include <gtest/gtest.h>

namespace rsim::test {

class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        const std::string reason = TestServer::skipReason(GetParam());
        if (!reason.empty())
            GTEST_SKIP() << reason;
        server_ = std::make_unique<TestServer>(GetParam());
    }

    TestServer& server() { return *server_; }

private:
    std::unique_ptr<TestServer> server_;
};

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

} // namespace rsim::test

#define RSIM_TEST_ON_BOTH_BACKENDS(Suite)                                                      \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                                  \
                             ::testing::Values(rsim::test::Backend::Sqlite,                    \
                                               rsim::test::Backend::Postgres),                 \
                             rsim::test::backendName)
