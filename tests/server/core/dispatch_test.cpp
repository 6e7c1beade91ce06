// The dispatcher around handlers: transaction, audit, rights and the answers to faults, with
// stand-in handlers registered at real operations.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "backend_test.h"
#include "service.h"

namespace {

using namespace rsim::test;
using rsim::Answer;
using MResRemoteMgntDef::SResRemoteProvCode;
using MResRemoteMgntDef::SResRemoteProvCodeList;

constexpr const char* kInterface = "MResRemoteMgntApp_IResRemoteMgnt";
constexpr const char* kAdd = "RMOSMQ01"; // add_provinceCode
constexpr const char* kQuery = "RMOSMQ04"; // qry_provinceCode

enum class Outcome { Success, Refusal, Exception, Busy, UnexplainedRefusal };

class Dispatch : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        pool_ = std::make_unique<rsim::DriverPool>(server().database(), 2);
        box_ = std::make_unique<rsim::secrets::SecretBox>(rsim::secrets::SecretBox::fromKeyFile(server().keyFile(), false));
        rsim::HandlerTable handlers;
        handlers.add(kInterface, kAdd, {[this](auto&... args) { return write(args...); }, 53701, true});
        handlers.add(kInterface, kQuery, {[this](auto&... args) { return query(args...); }, 0, false});
        service_ = std::make_unique<rsim::Service>(*pool_, *box_, std::move(handlers));
        adminToken_ = login("admin", "admin123");
        db_ = server().connect();
    }

    // Stores each province as a code-list row, then ends as outcome_ says.
    int write(rsim::CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject&, CBSErrorMsg& error)
    {
        seen_ = context.opId;
        for (const auto& province : static_cast<SResRemoteProvCodeList&>(*in.object(1))) {
            context.db.exec("INSERT INTO sys_code (CATEGORY, CODE, NAME) VALUES (9999, ?, ?)",
                            {std::int64_t{std::stoi(province.PROVINCE_CODE)}, province.PROVINCE_NAME});
            context.auditKeys.push_back("PROVINCE_CODE=" + province.PROVINCE_CODE);
        }
        switch (outcome_) {
        case Outcome::Success: return 0;
        case Outcome::Refusal: error.set(1, rsim::kRefusedDuplicate, "省份已存在", "第2条记录 PROVINCE_CODE=62"); return 1;
        case Outcome::Exception: throw std::runtime_error("handler fault");
        case Outcome::Busy: throw rsim::db::Error(rsim::db::Error::Kind::Busy, "database is locked");
        case Outcome::UnexplainedRefusal: return 5;
        }
        return 0;
    }

    int query(rsim::CallContext& context, CTvdBasicParamObject&, CTvdBasicParamObject& out, CBSErrorMsg&)
    {
        auto& province = *static_cast<SResRemoteProvCode*>(static_cast<SResRemoteProvCodeList&>(*out.object(0)).append());
        province.set_PROVINCE_CODE(std::to_string(context.opId));
        return 0;
    }

    std::string login(const std::string& name, const std::string& password)
    {
        const Answer answer = service_->login(nlohmann::json{{"login", name}, {"password", password}}.dump());
        return answer.body.value("session", "");
    }

    Answer addProvinces(const std::string& token)
    {
        const auto body = R"({"in":{"sOpInfo":{"OP_ID":1},"listResRemoteProvCode":[
            {"PROVINCE_CODE":"61","PROVINCE_NAME":"陕西"},{"PROVINCE_CODE":"62","PROVINCE_NAME":"甘肃"}]}})";
        return service_->call(kInterface, kAdd, body, token);
    }

    std::int64_t count(const std::string& sql) { return rsim::db::asInt(db_->scalar(sql)); }
    std::int64_t storedRows() { return count("SELECT COUNT(*) FROM sys_code WHERE CATEGORY = 9999"); }
    std::int64_t auditRows() { return count("SELECT COUNT(*) FROM sys_audit"); }

    std::unique_ptr<rsim::DriverPool> pool_;
    std::unique_ptr<rsim::secrets::SecretBox> box_;
    std::unique_ptr<rsim::Service> service_;
    std::unique_ptr<rsim::db::Driver> db_;
    std::string adminToken_;
    Outcome outcome_ = Outcome::Success;
    std::int32_t seen_ = 0;
};

TEST_P(Dispatch, ASuccessfulWriteCommitsAndAuditsEveryKey)
{
    const Answer answer = addProvinces(adminToken_);
    ASSERT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body["result"], 0) << answer.body.dump();
    EXPECT_EQ(answer.body["error"]["message"], "no error");
    EXPECT_TRUE(answer.body.contains("out"));
    EXPECT_EQ(seen_, 1);
    EXPECT_EQ(storedRows(), 2);

    std::vector<std::string> audited;
    db_->query("SELECT OP_ID, INTERFACE, CODE, OPERATION, RECORD_KEY, AUDIT_TIME FROM sys_audit ORDER BY RECORD_KEY", {},
               [&](const rsim::db::Row& row) {
                   EXPECT_EQ(rsim::db::asInt(row[0]), 1);
                   EXPECT_EQ(rsim::db::asText(row[1]), kInterface);
                   EXPECT_EQ(rsim::db::asText(row[2]), kAdd);
                   EXPECT_EQ(rsim::db::asText(row[3]), "add_provinceCode");
                   EXPECT_EQ(rsim::db::asText(row[5]).size(), 19U);
                   audited.push_back(rsim::db::asText(row[4]));
               });
    EXPECT_EQ(audited, (std::vector<std::string>{"PROVINCE_CODE=61", "PROVINCE_CODE=62"}));
}

TEST_P(Dispatch, AFailedWriteLeavesNothingAndIsNotAudited)
{
    struct Case {
        Outcome outcome;
        int result;
        int minor;
        const char* message;
        const char* hintPart;
    };
    const Case cases[] = {
        {Outcome::Refusal, 1, rsim::kRefusedDuplicate, "省份已存在", "PROVINCE_CODE=62"},
        {Outcome::Exception, -1, rsim::kFailedInternal, "服务内部错误，本次操作未生效", "handler fault"},
        {Outcome::Busy, 1, rsim::kRefusedBusy, "数据库忙，请稍后重试", "add_provinceCode"},
        {Outcome::UnexplainedRefusal, 5, 0, "操作失败", "add_provinceCode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        outcome_ = c.outcome;
        const Answer answer = addProvinces(adminToken_);
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.body["result"], c.result);
        EXPECT_EQ(answer.body["error"]["minCode"], c.minor);
        EXPECT_EQ(answer.body["error"]["message"], c.message);
        EXPECT_NE(answer.body["error"]["hint"].get<std::string>().find(c.hintPart), std::string::npos);
        EXPECT_FALSE(answer.body.contains("out"));
        EXPECT_EQ(storedRows(), 0);
        EXPECT_EQ(auditRows(), 0);
    }
    outcome_ = Outcome::Success; // the connections are usable after every failure
    EXPECT_EQ(addProvinces(adminToken_).body["result"], 0);
    EXPECT_EQ(storedRows(), 2);
}

TEST_P(Dispatch, AWriteNeedsTheEntityRightAQueryOnlyASession)
{
    const std::string viewer = login("viewer", "viewer123");
    ASSERT_FALSE(viewer.empty());
    const Answer refused = addProvinces(viewer);
    EXPECT_EQ(refused.body["result"], 1);
    EXPECT_EQ(refused.body["error"]["minCode"], rsim::kRefusedRight);
    EXPECT_EQ(refused.body["error"]["message"], "操作员没有该操作的权限");
    EXPECT_NE(refused.body["error"]["hint"].get<std::string>().find("53701"), std::string::npos);
    EXPECT_EQ(seen_, 0) << "the handler ran for an operator without the right";
    EXPECT_EQ(auditRows(), 0);

    const Answer answer = service_->call(kInterface, kQuery, R"({"in":{}})", viewer);
    EXPECT_EQ(answer.body["result"], 0);
    EXPECT_EQ(answer.body["out"]["listResRemoteProvCode"][0]["PROVINCE_CODE"], "2");
    EXPECT_EQ(auditRows(), 0);
}

TEST_P(Dispatch, UnknownInterfacesAndOperationsAreNotFound)
{
    struct Case {
        const char* interfaceName;
        const char* code;
        const char* message;
    };
    const Case cases[] = {
        {"NoSuchApp_IThing", kQuery, "未知的接口：NoSuchApp_IThing"},
        {kInterface, "RMOSMQ99", "接口 MResRemoteMgntApp_IResRemoteMgnt 没有操作 RMOSMQ99"},
        // declared by the middleware, but no handler serves it here
        {kInterface, "RMOSMQ02", "接口 MResRemoteMgntApp_IResRemoteMgnt 没有操作 RMOSMQ02"},
    };
    for (const auto& c : cases) {
        const Answer answer = service_->call(c.interfaceName, c.code, R"({"in":{}})", adminToken_);
        EXPECT_EQ(answer.status, 404);
        EXPECT_EQ(answer.body["result"], -1);
        EXPECT_EQ(answer.body["error"]["message"], c.message);
    }
}

TEST_P(Dispatch, ALostDatabaseConnectionIsOpenedAgain)
{
    if (GetParam() != Backend::Postgres)
        GTEST_SKIP() << "only a database server drops connections";
    ASSERT_EQ(service_->call(kInterface, kQuery, R"({"in":{}})", adminToken_).body["result"], 0);
    const std::string database = server().database().substr(server().database().rfind('/') + 1);
    rsim::db::connect(std::getenv("RSIM_TEST_PG"))
        ->exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = ?", {database});

    // A call on a lost connection fails clearly; the connection is then opened again.
    int failures = 0;
    Answer answer;
    for (int attempt = 0; attempt < 3; ++attempt) {
        answer = service_->call(kInterface, kQuery, R"({"in":{}})", adminToken_);
        if (answer.body["result"] == 0)
            break;
        ++failures;
        EXPECT_EQ(answer.body["error"]["message"], "数据库操作失败，本次操作未生效");
    }
    EXPECT_EQ(answer.body["result"], 0) << answer.body.dump();
    EXPECT_LE(failures, 2);
}

RSIM_TEST_ON_BOTH_BACKENDS(Dispatch);

} // namespace
