// The maintained reference tables: criteria, writes of lists as a whole, keys and references.
#include "records.h"
#include "tables_fixture.h"

using namespace MResRemoteMgntDef;
using namespace tablestest;

namespace {

class ReferenceTables : public TablesTest {};

TEST_P(ReferenceTables, QueriesFilterBySetMembersOnlyCodesExactlyNamesBySubstring)
{
    SResRemoteProvCodeList found;
    ASSERT_EQ(query("RMOSMQ04", SResRemoteProvCode(), found), 0);
    ASSERT_EQ(found.count(), 4);
    EXPECT_EQ(found[0].PROVINCE_CODE, "11");
    EXPECT_EQ(found[3].PROVINCE_CODE, "51");
    EXPECT_TRUE(found[3].isSet(SResRemoteProvCode::idx_PROVINCE_NAME));

    SResRemoteProvCode byName;
    byName.set_PROVINCE_NAME("东");
    ASSERT_EQ(query("RMOSMQ04", byName, found), 0);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].PROVINCE_NAME, "广东");

    SResRemoteProvCode byCode;
    byCode.set_PROVINCE_CODE("4");
    ASSERT_EQ(query("RMOSMQ04", byCode, found), 0);
    EXPECT_EQ(found.count(), 0) << "codes match exactly, not by substring";

    // Criteria combine: vendors named "卡…" that do not encrypt KI.
    SResRemoteVendorCode vendor;
    vendor.set_VENDOR_NAME("卡");
    vendor.set_IS_KI(0);
    SResRemoteVendorCodeList vendors;
    ASSERT_EQ(query("RMOSMQ12", vendor, vendors), 0);
    ASSERT_EQ(vendors.count(), 1);
    EXPECT_EQ(vendors[0].VENDOR_CODE, "V02");
}

TEST_P(ReferenceTables, AddModifyDeleteOfAListWithAuditKeys)
{
    ASSERT_EQ(write("RMOSMQ01", provinces({{"61", "陕西"}, {"62", "甘肃"}})), 0) << error.message;
    EXPECT_EQ(auditKeys, (std::vector<std::string>{"PROVINCE_CODE=61", "PROVINCE_CODE=62"}));
    ASSERT_EQ(write("RMOSMQ02", provinces({{"62", "甘肃省"}})), 0) << error.message;
    EXPECT_EQ(rows("SELECT PROVINCE_NAME FROM rsim_province WHERE PROVINCE_CODE = ?", {std::string("62")}),
              std::vector<std::string>{"甘肃省"});
    ASSERT_EQ(write("RMOSMQ03", provinces({{"61", ""}, {"62", ""}})), 0) << error.message;
    EXPECT_EQ(count("rsim_province"), 4);
}

TEST_P(ReferenceTables, DuplicatesStoredOrInTheBatchRefuseTheWholeList)
{
    EXPECT_EQ(write("RMOSMQ01", provinces({{"61", "陕西"}, {"44", "广东"}})), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedDuplicate);
    EXPECT_EQ(error.message, "省份已存在");
    EXPECT_EQ(error.hint, "第2条记录 PROVINCE_CODE=44");

    EXPECT_EQ(write("RMOSMQ01", provinces({{"61", "陕西"}, {"62", "甘肃"}, {"61", "陕西"}})), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedDuplicate);
    EXPECT_EQ(error.message, "同一批数据中PROVINCE_CODE重复，与第1条记录相同");
    EXPECT_EQ(error.hint, "第3条记录 PROVINCE_CODE=61");
    EXPECT_EQ(count("rsim_province"), 4) << "nothing of a refused list is stored";
}

TEST_P(ReferenceTables, ModifyOrDeleteOfAMissingKeyIsRefusedAndChangesNothing)
{
    EXPECT_EQ(write("RMOSMQ02", provinces({{"11", "北京市"}, {"62", "甘肃"}})), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedNotFound);
    EXPECT_EQ(error.message, "要修改的记录不存在");
    EXPECT_EQ(error.hint, "第2条记录 PROVINCE_CODE=62");
    EXPECT_EQ(rows("SELECT PROVINCE_NAME FROM rsim_province WHERE PROVINCE_CODE = '11'"),
              std::vector<std::string>{"北京"});

    EXPECT_EQ(write("RMOSMQ03", provinces({{"31", ""}, {"99", ""}})), 1);
    EXPECT_EQ(error.message, "要删除的记录不存在");
    EXPECT_EQ(count("rsim_province"), 4);
}

TEST_P(ReferenceTables, KeysMustBeGivenAndCodesHoldNoBlanks)
{
    EXPECT_EQ(write("RMOSMQ01", provinces({{"", "无码"}})), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedInvalid);
    EXPECT_EQ(error.message, "缺少关键字段PROVINCE_CODE");
    EXPECT_EQ(write("RMOSMQ01", provinces({{"6 1", "陕西"}})), 1);
    EXPECT_EQ(error.message, "PROVINCE_CODE格式错误：不能为空，也不能含空格");

    SResRemoteCardTypeList unset;
    unset.push_back(SResRemoteCardType());
    unset[0].set_CARD_NAME("无码卡");
    EXPECT_EQ(write("RMOSMQ05", unset), 1);
    EXPECT_EQ(error.message, "缺少关键字段CARD_TYPE");
    unset[0].set_CARD_TYPE("C256");
    EXPECT_EQ(write("RMOSMQ05", unset), 0) << error.message;
}

TEST_P(ReferenceTables, ReferencesMustExistAndReferencedRecordsStay)
{
    SResRemoteMsisdnGroupList groups;
    SResRemoteMsisdnGroup stray = group("G90");
    stray.set_PROVINCE_CODE("99");
    groups.push_back(stray);
    EXPECT_EQ(write("RMOSMQ13", groups), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedReference);
    EXPECT_EQ(error.message, "省份不存在：PROVINCE_CODE=99");

    EXPECT_EQ(write("RMOSMQ03", provinces({{"44", ""}})), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedReference);
    EXPECT_EQ(error.message, "省份仍被号群引用，不能删除");

    SResRemoteCardTypeList c64;
    c64.push_back(SResRemoteCardType());
    c64[0].set_CARD_TYPE("C64");
    EXPECT_EQ(write("RMOSMQ07", c64), 1);
    EXPECT_EQ(error.message, "卡类型仍被SIM卡引用，不能删除");

    // Once its referrers are gone a record can go.
    ASSERT_EQ(write("RMOSMQ01", provinces({{"61", "陕西"}})), 0);
    SResRemoteMsisdnGroupList own;
    own.push_back(group("G91"));
    own[0].set_PROVINCE_CODE("61");
    ASSERT_EQ(write("RMOSMQ13", own), 0) << error.message;
    EXPECT_EQ(write("RMOSMQ03", provinces({{"61", ""}})), 1);
    ASSERT_EQ(write("RMOSMQ15", own), 0) << error.message;
    EXPECT_EQ(write("RMOSMQ03", provinces({{"61", ""}})), 0) << error.message;
}

TEST_P(ReferenceTables, GroupsAreNamedByCodeRegionAndProvince)
{
    SResRemoteMsisdnGroupList renamed;
    renamed.push_back(SResRemoteMsisdnGroup());
    renamed[0].set_MSISDN_GROUP("G01");
    renamed[0].set_REGION_CODE(10);
    renamed[0].set_PROVINCE_CODE("44");
    renamed[0].set_MSISDN_NAME("广州新号群");
    ASSERT_EQ(write("RMOSMQ14", renamed), 0) << error.message;
    EXPECT_EQ(auditKeys, std::vector<std::string>{"MSISDN_GROUP=G01,REGION_CODE=10,PROVINCE_CODE=44"});

    SResRemoteMsisdnGroupList found;
    SResRemoteMsisdnGroup byCode;
    byCode.set_MSISDN_GROUP("G01");
    ASSERT_EQ(query("RMOSMQ16", byCode, found), 0);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].MSISDN_NAME, "广州新号群");
    EXPECT_EQ(found[0].COUNTY_CODE, 1001) << "a modify changes only the members it sets";

    renamed[0].set_REGION_CODE(11);
    EXPECT_EQ(write("RMOSMQ14", renamed), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedNotFound);
    // The same group code may serve another region.
    SResRemoteMsisdnGroupList other;
    other.push_back(group("G01", 11));
    EXPECT_EQ(write("RMOSMQ13", other), 0) << error.message;
}

TEST_P(ReferenceTables, TheServiceStampsTimesAndOperatorsAndHidesAucPasswords)
{
    SResRemoteAucInfoList aucs;
    SResRemoteAucInfo auc;
    auc.set_PROVINCE_CODE("44");
    auc.set_VENDOR_CODE("V02");
    auc.set_CARD_TYPE("C128");
    auc.set_SIM_SEQUENCE("AUC000099");
    auc.set_FUNCTION_CODE("WRITE");
    auc.set_PWD("secret-99");
    auc.set_STS(1);
    aucs.push_back(auc);
    ASSERT_EQ(write("RMOSMQ40", aucs), 0) << error.message;

    SResRemoteAucInfo criteria;
    criteria.set_SIM_SEQUENCE("AUC000099");
    SResRemoteAucInfoList found;
    ASSERT_EQ(query("RMOSMQ43", criteria, found), 0);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].OP_ID, 1) << "the calling operator";
    EXPECT_FALSE(found[0].OPER_DATE.isNull());
    EXPECT_EQ(found[0].PWD, "secret-99");
    const auto stored = rows("SELECT PWD FROM rsim_auc_info WHERE SIM_SEQUENCE = 'AUC000099'");
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].find("secret-99"), std::string::npos);

    aucs[0].set_VENDOR_CODE("V09");
    aucs[0].set_SIM_SEQUENCE("AUC000100");
    EXPECT_EQ(write("RMOSMQ40", aucs), 1);
    EXPECT_EQ(error.message, "卡商不存在：VENDOR_CODE=V09");
}

INSTANTIATE_TEST_SUITE_P(Backends, ReferenceTables, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
