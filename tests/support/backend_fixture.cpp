#include "backend_fixture.h"

namespace testsupport {

void BackendTest::SetUp()
{
    if (GetParam() == Backend::Postgres && !RsimdProcess::postgresAvailable())
        GTEST_SKIP() << "RSIM_TEST_PG is not set, so there is no PostgreSQL server for this run "
                        "(scripts/test-servers.sh starts one)";
}

void DatabaseTest::SetUp()
{
    BackendTest::SetUp();
    if (IsSkipped())
        return;
    database_ = std::make_unique<ScratchDatabase>(GetParam());
    db_ = open();
}

std::unique_ptr<rsim::db::Driver> DatabaseTest::open() const
{
    return rsim::db::connect(database_->address());
}

std::vector<rsim::db::Row> DatabaseTest::rows(const std::string& sql, const rsim::db::Row& params)
{
    std::vector<rsim::db::Row> all;
    db_->query(sql, params, [&](const rsim::db::Row& row) { all.push_back(row); });
    return all;
}

std::int64_t DatabaseTest::number(const std::string& sql, const rsim::db::Row& params)
{
    return rsim::db::asInt(db_->scalar(sql, params));
}

std::string DatabaseTest::text(const std::string& sql, const rsim::db::Row& params)
{
    return rsim::db::asText(db_->scalar(sql, params));
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

} // namespace testsupport
