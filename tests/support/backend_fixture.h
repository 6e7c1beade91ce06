// Tests that run once on SQLite and once on PostgreSQL, on a fresh database of their own.
#pragma once

#include "driver.h"
#include "rsimd_process.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

using Backend = RsimdProcess::Backend;

// A test of either backend; on PostgreSQL it is skipped when RSIM_TEST_PG names no server.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    // Suites deriving from these fixtures call their base's SetUp first and return when
    // IsSkipped().
    void SetUp() override;
};

// A test on a fresh, empty database: db_ is a connection to it, open() makes another.
class DatabaseTest : public BackendTest {
protected:
    void SetUp() override;

    std::unique_ptr<rsim::db::Driver> open() const;
    std::vector<rsim::db::Row> rows(const std::string& sql, const rsim::db::Row& params = {});
    // The single value the statement answers.
    std::int64_t number(const std::string& sql, const rsim::db::Row& params = {});
    std::string text(const std::string& sql, const rsim::db::Row& params = {});

    std::unique_ptr<ScratchDatabase> database_;
    std::unique_ptr<rsim::db::Driver> db_;
};

// "Sqlite" or "Postgres", for the names of the instantiated tests.
std::string backendName(const ::testing::TestParamInfo<Backend>& info);

} // namespace testsupport

// Runs every test of a suite derived from BackendTest on both backends, named
// Backends/Suite.Test/Sqlite and Backends/Suite.Test/Postgres.
#define RSIM_ON_EVERY_BACKEND(Suite)                                                               \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Backends, Suite,                                                                           \
        ::testing::Values(testsupport::Backend::Sqlite, testsupport::Backend::Postgres),           \
        testsupport::backendName)
