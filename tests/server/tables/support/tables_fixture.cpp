#include "tables_fixture.h"

#include "table.h"
#include "tvd_client.h"

#include <cstdlib>
#include <random>

namespace tablestest {
namespace {

std::string freshSchemaName()
{
    std::random_device random;
    return "tables_test_" + std::to_string(random()) + "_" + std::to_string(random());
}

// The server's address with the schema as the connection's search path.
std::string inSchema(const std::string& server, const std::string& schema)
{
    return server + (server.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

// The remote-SIM operations, and the resource-code query of the resource interface.
const TvdOperation& operationOf(const char* code)
{
    const TvdOperation* operation = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", code);
    if (operation == nullptr)
        operation = tvd_findOperation("MResSysMgnt_IResSysMgnt", code);
    if (operation == nullptr)
        throw std::logic_error(std::string("no operation ") + code);
    return *operation;
}

} // namespace

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

void TablesTest::SetUp()
{
    if (GetParam() == Backend::Sqlite) {
        db_ = rsim::db::connect("sqlite::memory:");
    } else {
        const char* server = std::getenv("RSIM_TEST_PG");
        if (server == nullptr)
            GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL server for this run";
        schema_ = freshSchemaName();
        rsim::db::connect(server)->exec("CREATE SCHEMA " + schema_);
        db_ = rsim::db::connect(inSchema(server, schema_));
    }
    box_ = rsim::secrets::SecretBox::withRandomKey();
    rsim::db::migrate(*db_, rsim::tables::schema());
    rsim::tables::seedDemo(*db_, *box_);
    rsim::tables::registerHandlers(handlers_);
}

void TablesTest::TearDown()
{
    db_.reset();
    if (!schema_.empty())
        rsim::db::connect(std::getenv("RSIM_TEST_PG"))->exec("DROP SCHEMA " + schema_ + " CASCADE");
}

const CTvdTypeInfo& TablesTest::inType(const char* code) const
{
    return *operationOf(code).in;
}

const CTvdTypeInfo& TablesTest::outType(const char* code) const
{
    return *operationOf(code).out;
}

int TablesTest::run(const char* code, tvd::wire::OwnedParams& in, tvd::wire::OwnedParams* out)
{
    const rsim::HandlerEntry* entry = handlers_.find(operationOf(code).interfaceName, code);
    if (entry == nullptr)
        throw std::logic_error(std::string("no handler for ") + code);
    tvd::wire::OwnedParams noAnswer(outType(code));
    rsim::CallContext context{*db_, *box_, 1, 100101, {}};
    error = CBSErrorMsg();
    if (!entry->writes)
        return entry->handler(context, in.params(), (out ? *out : noAnswer).params(), error);
    rsim::db::Transaction transaction(*db_);
    const int result = entry->handler(context, in.params(), noAnswer.params(), error);
    if (result == 0) {
        transaction.commit();
        auditKeys = context.auditKeys;
    }
    return result;
}

std::vector<std::string> TablesTest::rows(const std::string& sql, const rsim::db::Row& params)
{
    std::vector<std::string> answer;
    db_->query(sql, params, [&](const rsim::db::Row& row) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += (i ? "|" : "") + rsim::db::asText(row[i]);
        answer.push_back(line);
    });
    return answer;
}

std::int64_t TablesTest::count(const std::string& table)
{
    return rsim::db::asInt(db_->scalar("SELECT COUNT(*) FROM " + table));
}

} // namespace tablestest
