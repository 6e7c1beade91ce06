// Tests of the remote-SIM tables straight against a database driver, without the HTTP service.
//
// Each test gets fresh tables with the demo data: on SQLite (in memory), and on PostgreSQL in a
// schema of its own (dropped afterwards) when RSIM_TEST_PG names a server; otherwise the
// PostgreSQL half is skipped. Operations run as the dispatcher runs them: the handler that
// registerHandlers() installed, parameter objects of the operation's registered types, and for
// writes a transaction committed only when the handler answers 0.
#pragma once

#include "driver.h"
#include "handler.h"
#include "secrets.h"
#include "tvd_json.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace tablestest {

enum class Backend { Sqlite, Postgres };
std::string backendName(const ::testing::TestParamInfo<Backend>& info);

class TablesTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    // A write ("RMOSMQ01" …) of a list; answers the handler's result.
    template <class List>
    int write(const char* code, const List& records)
    {
        tvd::wire::OwnedParams in(inType(code));
        static_cast<List&>(in.object(1)) = records;
        return run(code, in);
    }

    // A query with its criteria record; the answer replaces found.
    template <class Criteria, class List>
    int query(const char* code, const Criteria& criteria, List& found)
    {
        tvd::wire::OwnedParams in(inType(code));
        static_cast<Criteria&>(in.object(0)) = criteria;
        tvd::wire::OwnedParams out(outType(code));
        const int result = run(code, in, &out);
        found = static_cast<List&>(out.object(0));
        return result;
    }

    // Rows a statement answers, as text joined by "|", one string per row.
    std::vector<std::string> rows(const std::string& sql, const rsim::db::Row& params = {});
    std::int64_t count(const std::string& table);

    rsim::db::Driver& db() { return *db_; }
    const rsim::secrets::SecretBox& box() { return *box_; }

    CBSErrorMsg error;                  // of the last operation
    std::vector<std::string> auditKeys; // of the last successful write

private:
    const CTvdTypeInfo& inType(const char* code) const;
    const CTvdTypeInfo& outType(const char* code) const;
    int run(const char* code, tvd::wire::OwnedParams& in, tvd::wire::OwnedParams* out = nullptr);

    std::unique_ptr<rsim::db::Driver> db_;
    std::optional<rsim::secrets::SecretBox> box_;
    rsim::HandlerTable handlers_;
    std::string schema_; // PostgreSQL: the test's own schema
};

} // namespace tablestest
