// Rights and audit end to end: the middleware client, the real handlers, the stored rows.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "backend_test.h"
#include "handler.h"

namespace {

using namespace rsim::test;
using MResRemoteMgntDef::SResRemoteProvCode;
using MResRemoteMgntDef::SResRemoteProvCodeList;

class RightsAndAudit : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(remote_.bind(server().address()), 0);
        info_.set_OP_ID(1);
        db_ = server().connect();
    }

    static SResRemoteProvCodeList provinces(std::initializer_list<std::pair<const char*, const char*>> rows)
    {
        SResRemoteProvCodeList list;
        for (const auto& [code, name] : rows) {
            auto& province = *static_cast<SResRemoteProvCode*>(list.append());
            province.set_PROVINCE_CODE(code);
            province.set_PROVINCE_NAME(name);
        }
        return list;
    }

    std::int64_t count(const std::string& sql, const rsim::db::Row& params = {})
    {
        return rsim::db::asInt(db_->scalar(sql, params));
    }
    // How many provinces of that code a query finds.
    int stored(const std::string& code)
    {
        SResRemoteProvCode criteria;
        criteria.set_PROVINCE_CODE(code);
        SResRemoteProvCodeList found;
        CBSErrorMsg error;
        EXPECT_EQ(remote_.qry_provinceCode(criteria, found, error, nullptr), 0) << error.message;
        return found.count();
    }

    MResRemoteMgntApp::IResRemoteMgnt remote_;
    MResRemoteMgntApp::SOpInfo info_;
    std::unique_ptr<rsim::db::Driver> db_;
};

TEST_P(RightsAndAudit, AWriteWithoutTheRightIsRefusedStoresNothingAndIsNotAudited)
{
    ASSERT_TRUE(server().login("viewer", "viewer123"));
    CBSErrorMsg error;
    EXPECT_NE(remote_.add_provinceCode(info_, provinces({{"77", "无权"}}), error, nullptr), 0);
    EXPECT_EQ(error.minCode, rsim::kRefusedRight);
    EXPECT_EQ(error.message, "操作员没有该操作的权限");
    EXPECT_NE(error.hint.find("53701"), std::string::npos) << error.hint;
    EXPECT_EQ(stored("77"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit"), 0);
}

TEST_P(RightsAndAudit, OnlyCommittedWritesAreAuditedWithTheirKeys)
{
    ASSERT_TRUE(server().login("admin", "admin123"));
    CBSErrorMsg error;
    SResRemoteProvCodeList all;
    ASSERT_EQ(remote_.qry_provinceCode(SResRemoteProvCode(), all, error, nullptr), 0) << error.message;
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit"), 0) << "a query was audited";

    ASSERT_EQ(remote_.add_provinceCode(info_, provinces({{"61", "陕西"}, {"62", "甘肃"}}), error, nullptr), 0)
        << error.message << " " << error.hint;
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE OP_ID = 1 AND CODE = 'RMOSMQ01' AND "
                    "OPERATION = 'add_provinceCode' AND RECORD_KEY LIKE '%61%'"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE RECORD_KEY LIKE '%62%'"), 1);

    // The second record repeats a stored key: the whole batch is refused, nothing audited.
    EXPECT_NE(remote_.add_provinceCode(info_, provinces({{"63", "青海"}, {"61", "陕西"}}), error, nullptr), 0);
    EXPECT_EQ(stored("63"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit"), 2);
}

RSIM_TEST_ON_BOTH_BACKENDS(RightsAndAudit);

} // namespace
