// The tables as the service applies them, on SQLite and on PostgreSQL: the rules of writes, whose
// refusals name the rule and the record; and the secret members (card passwords, library keys).
#include "secrets.h"
#include "service_fixture.h"
#include "tvd_member.h"

#include <gtest/gtest.h>

#include <array>

using namespace MResRemoteMgntDef;
using Remote = MResRemoteMgntApp::IResRemoteMgnt;
using testsupport::provinces;

namespace {

using TableRules = testsupport::ServiceTest;

// Against the demo data: province 44 with group G01, whose IMSI range 460001000000000-
// 460001999999999 and number range 13801000000-13801999999 are stored.
TEST_P(TableRules, DuplicatesMissingKeysReferencesAndOverlappingRangesAreRefusedByName)
{
    const auto group = [](const char* name, const char* province) {
        return one<SResRemoteMsisdnGroupList>([&](auto& g) {
            g.set_MSISDN_GROUP(name);
            g.set_PROVINCE_CODE(province);
        });
    };
    const auto libraries = [](std::initializer_list<std::array<const char*, 4>> rows) {
        SResRemoteCardVendorDllList list;
        for (const auto& [province, vendor, card, file] : rows) {
            auto& d = *static_cast<SResRemoteCardVendorDll*>(list.append());
            d.set_PROVINCE_CODE(province);
            d.set_VENDOR_CODE(vendor);
            d.set_CARD_TYPE(card);
            d.set_DLL_NAME(file);
        }
        return list;
    };
    const auto imsis = [](std::initializer_list<std::pair<const char*, const char*>> ranges,
                          const char* group = "G01") {
        SResRemoteImsiMsisdnGrpList list;
        for (const auto& [first, last] : ranges) {
            auto& r = *static_cast<SResRemoteImsiMsisdnGrp*>(list.append());
            r.set_MSISDN_GROUP(group);
            r.set_FIRST_IMSI(first);
            r.set_LAST_IMSI(last);
            r.set_PROVINCE_CODE("44");
        }
        return list;
    };
    const auto numbers = [](const char* first, const char* last) {
        return one<SResRemoteMsisdnGrpList>([&](auto& r) {
            r.set_MSISDN_GROUP("G01");
            r.set_FIRST_MSISDN(first);
            r.set_LAST_MSISDN(last);
            r.set_PROVINCE_CODE("44");
        });
    };
    const auto addImsis = &Remote::add_imsiMsisdnGrp;
    const auto addNumbers = &Remote::add_msisdnGrp;
    const std::string libraryCount = "SELECT COUNT(*) FROM rsim_vendor_dll";
    const std::int64_t librariesBefore = count(libraryCount);

    EXPECT_EQ(refusal(&Remote::add_provinceCode, provinces({{"44", "广东"}})),
              "2 PROVINCE_CODE已存在 / 第1条记录 PROVINCE_CODE=44");
    EXPECT_EQ(refusal(&Remote::add_provinceCode, provinces({{"61", "陕西"}, {"61", "陕西"}})),
              "2 同一批数据中重复：PROVINCE_CODE / 第2条记录 PROVINCE_CODE=61");
    EXPECT_EQ(refusal(&Remote::mod_provinceCode, provinces({{"62", "甘肃"}})),
              "3 要修改的记录不存在 / 第1条记录 PROVINCE_CODE=62");
    EXPECT_EQ(refusal(&Remote::del_provinceCode, provinces({{"44", "广东"}})),
              "4 记录仍被rsim_msisdn_group引用（MSISDN_GROUP=G01），不能删除 / 第1条记录 "
              "PROVINCE_CODE=44");
    EXPECT_EQ(refusal(&Remote::add_provinceCode,
                      one<SResRemoteProvCodeList>([](auto& p) { p.set_PROVINCE_NAME("无代码"); })),
              "1 缺少关键字段PROVINCE_CODE / 第1条记录 PROVINCE_CODE=");
    EXPECT_EQ(refusal(&Remote::add_msisdnGroup, group("G99", "99")),
              "4 引用的PROVINCE_CODE不存在：99 / 第1条记录 MSISDN_GROUP=G99");
    EXPECT_EQ(refusal(&Remote::del_msisdnGroup, group("G01", "44")),
              "4 记录仍被rsim_imsi_range引用（FIRST_IMSI=460001000000000），不能删除 / 第1条记录 "
              "MSISDN_GROUP=G01");

    // A key of several members: only a duplicate of the whole key is one, and a refused batch
    // stores none of its records.
    EXPECT_EQ(
        refusal(&Remote::add_cardVendorDll, libraries({{"44", "V01", "C64", "hnsc_w64.dll"}})),
        "2 记录已存在 / 第1条记录 "
        "PROVINCE_CODE=44,VENDOR_CODE=V01,CARD_TYPE=C64,DLL_NAME=hnsc_w64.dll");
    EXPECT_EQ(refusal(&Remote::add_cardVendorDll, libraries({{"11", "V03", "D128", "new.dll"},
                                                             {"31", "V03", "D128", "new.dll"},
                                                             {"11", "V03", "D128", "new.dll"}})),
              "2 同一批数据中重复：PROVINCE_CODE,VENDOR_CODE,CARD_TYPE,DLL_NAME / 第3条记录 "
              "PROVINCE_CODE=11,VENDOR_CODE=V03,CARD_TYPE=D128,DLL_NAME=new.dll");
    EXPECT_EQ(
        refusal(&Remote::add_cardVendorDll, libraries({{"11", "V01", "C64", "hnsc_w64.dll"},
                                                       {"44", "V03", "C64", "hnsc_w64.dll"},
                                                       {"44", "V01", "D128", "hnsc_w64.dll"},
                                                       {"44", "V01", "C64", "hnsc_w64b.dll"}})),
        "");
    EXPECT_EQ(count(libraryCount), librariesBefore + 4);

    EXPECT_EQ(refusal(addImsis, imsis({{"460009000000009", "460009000000001"}})),
              "1 号段起始值大于结束值 / 第1条记录 FIRST_IMSI=460009000000009");
    EXPECT_EQ(refusal(addNumbers, numbers("1390900000", "13909000001")),
              "1 号段起止长度不一致 / 第1条记录 FIRST_MSISDN=1390900000");
    EXPECT_EQ(
        refusal(addNumbers, numbers("1390900000000000", "1390900000000001")),
        "1 FIRST_MSISDN格式错误：必须为1到15位数字 / 第1条记录 FIRST_MSISDN=1390900000000000");
    // Ranges of different lengths never overlap, though as text the stored
    // 13801000000-13801999999 lies between these ends.
    EXPECT_EQ(refusal(addNumbers, numbers("1380100000", "1380299999")), "");
    EXPECT_EQ(refusal(addNumbers, numbers("138015", "138030")), "");
    EXPECT_EQ(refusal(addNumbers, numbers("1380150000", "1380150001")),
              "5 号段与已有号段重叠：1380100000-1380299999 / 第1条记录 FIRST_MSISDN=1380150000");
    EXPECT_EQ(refusal(addImsis, imsis({{"460001500000000", "460001600000000"}})),
              "5 号段与已有号段重叠：460001000000000-460001999999999 / 第1条记录 "
              "FIRST_IMSI=460001500000000");
    // Ending where a stored range starts is an overlap too.
    EXPECT_EQ(refusal(addImsis, imsis({{"460000900000000", "460001000000000"}})),
              "5 号段与已有号段重叠：460001000000000-460001999999999 / 第1条记录 "
              "FIRST_IMSI=460000900000000");
    EXPECT_EQ(refusal(addImsis, imsis({{"460009100000000", "460009100000999"}}, "G99")),
              "4 引用的MSISDN_GROUP不存在：G99 / 第1条记录 FIRST_IMSI=460009100000000");
    // Ranges of one batch must not overlap each other either; a range may be of one number.
    EXPECT_EQ(refusal(addImsis, imsis({{"460009000000000", "460009000000999"},
                                       {"460009000000999", "460009000001999"}})),
              "5 号段与同一批数据中的号段重叠：460009000000000-460009000000999 / 第2条记录 "
              "FIRST_IMSI=460009000000999");
    EXPECT_EQ(refusal(addImsis, imsis({{"460009000000000", "460009000000999"},
                                       {"460009000001000", "460009000001999"},
                                       {"460009000002000", "460009000002000"}})),
              "");

    // A duplicate that only the database's unique index would catch is named as every duplicate
    // is, with nothing of the database's own text; a card's own number set again is none.
    const SRemoteSimInfoList two = testsupport::cards(7100, 2);
    ASSERT_EQ(refusal(&Remote::add_simInfo, two), "");
    const auto numbered = [&](const std::string& simId) {
        return one<SRemoteSimInfoList>([&](auto& c) {
            c.set_IMSI(two[1].IMSI);
            c.set_SIM_ID(simId);
        });
    };
    EXPECT_EQ(refusal(&Remote::mod_simInfo, numbered(two[0].SIM_ID)),
              "2 SIM_ID已存在 / 第1条记录 IMSI=" + two[1].IMSI);
    EXPECT_EQ(refusal(&Remote::mod_simInfo, numbered(two[1].SIM_ID)), "");
}

TEST_P(TableRules, CardFormatsAreCheckedAtTheirEdges)
{
    struct Case {
        int member;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {SRemoteSimInfo::idx_IMSI, "46000990000599", false},
        {SRemoteSimInfo::idx_SIM_ID, "8986009900000000001", true},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000001F", true},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000001f", false},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000001", false},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000000123", false},
        {SRemoteSimInfo::idx_KI_CODE, "0123456789ABCDEF0123456789ABCDE", false},
        {SRemoteSimInfo::idx_KI_CODE, "0123456789ABCDEF0123456789ABCDEG", false},
        {SRemoteSimInfo::idx_KI_CODE, "0123456789ABCDEF0123456789ABCDEF0", false},
        {SRemoteSimInfo::idx_PIN1, "123", false},
        {SRemoteSimInfo::idx_PIN1, "123456789", false},
        {SRemoteSimInfo::idx_PUK1, "1234567", false},
        {SRemoteSimInfo::idx_SMSP, "+861380020050012345678", false},
        {SRemoteSimInfo::idx_SMSP, "+86138002005001234567", true},
    };
    int n = 5000;
    for (const auto& c : cases) {
        SRemoteSimInfoList one = testsupport::cards(n++, 1);
        *std::get<std::string*>(tvd_member(one[0], c.member)) = c.value;
        EXPECT_EQ(refusal(&Remote::add_simInfo, one).empty(), c.accepted) << c.value;
    }
}

// What SQL put in a column answers as the record read from it: a text that is no date as the
// null date, an empty text as unset; on SQLite, whose columns take any type, a text in a number
// column as the number it begins with (unset when none), a number in a short column cut to 16 bits.
TEST_P(TableRules, StoredValuesOutsideTheirMembersFormAnswerAsTheRecordReadFromThem)
{
    const std::string imsi = "460001000000000";
    database()->exec("UPDATE rsim_sim SET STS_DATE = 'soon', SALE_DATE = '2026-02-29 00:00:00', "
                     "WHOLESALE_DATE = '2026-02-28 23:59:59', "
                     "REMARK = '', PIN1 = '0123' WHERE IMSI = ?",
                     {imsi});
    const bool typedColumns = GetParam() != testsupport::Backend::Sqlite;
    if (!typedColumns)
        database()->exec("UPDATE rsim_sim SET REGION_CODE = '23abc', COUNTY_CODE = 'x', "
                         "BRAND = 65537, BATCH_ID = -9007199254740993 WHERE IMSI = ?",
                         {imsi});
    const SRemoteSimInfoList found = sims(imsi, imsi);
    ASSERT_EQ(found.count(), 1);
    const SRemoteSimInfo& card = found[0];
    EXPECT_TRUE(card.isSet(SRemoteSimInfo::idx_STS_DATE) && card.STS_DATE.isNull());
    EXPECT_TRUE(card.isSet(SRemoteSimInfo::idx_SALE_DATE) && card.SALE_DATE.isNull());
    EXPECT_EQ(card.WHOLESALE_DATE.toWire(), "2026-02-28 23:59:59");
    EXPECT_FALSE(card.isSet(SRemoteSimInfo::idx_REMARK));
    EXPECT_EQ(card.PIN1, "0123");
    if (typedColumns)
        return;
    EXPECT_EQ(card.REGION_CODE, 23);
    EXPECT_FALSE(card.isSet(SRemoteSimInfo::idx_COUNTY_CODE));
    EXPECT_EQ(card.BRAND, 1);
    EXPECT_EQ(card.BATCH_ID, -9007199254740993);
}

RSIM_ON_EVERY_BACKEND(TableRules);

using SecretMembers = testsupport::ServiceTest;

TEST_P(SecretMembers, AreSealedKeptOutOfTheAuditAnsweredInClearAndFoundByTheirValue)
{
    SResRemoteCardVendorDllList dlls;
    auto& d = *static_cast<SResRemoteCardVendorDll*>(dlls.append());
    d.set_PROVINCE_CODE("51");
    d.set_VENDOR_CODE("V03");
    d.set_CARD_TYPE("C64");
    d.set_DLL_NAME("west.dll");
    d.set_REG_CODE("REG-SEALED-51");
    ASSERT_EQ(remote_.add_cardVendorDll(info_, dlls, error_, nullptr), 0) << error_.message;
    SResRemoteAucInfoList aucs;
    auto& a = *static_cast<SResRemoteAucInfo*>(aucs.append());
    a.set_PROVINCE_CODE("31");
    a.set_VENDOR_CODE("V02");
    a.set_CARD_TYPE("C64");
    a.set_SIM_SEQUENCE("AUC310001");
    a.set_PWD("pw-sealed-31");
    a.set_STS(1);
    ASSERT_EQ(remote_.add_aucVerifyInfo(info_, aucs, error_, nullptr), 0) << error_.message;
    a.set_PWD("pw-changed-31");
    ASSERT_EQ(remote_.mod_aucVerifyInfo(info_, aucs, error_, nullptr), 0) << error_.message;

    for (const char* sql : {"SELECT REG_CODE FROM rsim_vendor_dll WHERE DLL_NAME = 'west.dll'",
                            "SELECT PWD FROM rsim_auc_info WHERE SIM_SEQUENCE = 'AUC310001'"})
        EXPECT_EQ(stored(sql).rfind("s1:", 0), 0U) << sql;
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE RECORD_KEY LIKE '%REG-SEALED%' OR "
                    "RECORD_KEY LIKE '%pw-%'"),
              0);

    SResRemoteAucInfo auc;
    auc.set_SIM_SEQUENCE("AUC310001");
    SResRemoteAucInfoList aucFound;
    ASSERT_EQ(remote_.qry_aucVerifyInfo(auc, aucFound, error_, nullptr), 0) << error_.message;
    ASSERT_EQ(aucFound.count(), 1);
    EXPECT_EQ(aucFound[0].PWD, "pw-changed-31");

    // A sealed criterion matches the whole value only.
    for (const auto& [key, found] : {std::pair{"REG-SEALED-51", 1}, {"REG-SEALED-5", 0}}) {
        SResRemoteCardVendorDll criteria;
        criteria.set_REG_CODE(key);
        SResRemoteCardVendorDllList dllFound;
        ASSERT_EQ(remote_.qry_cardVendorDll(criteria, dllFound, error_, nullptr), 0)
            << error_.message;
        ASSERT_EQ(dllFound.count(), found) << key;
        if (found == 1) {
            EXPECT_EQ(dllFound[0].DLL_NAME, "west.dll");
            EXPECT_EQ(dllFound[0].REG_CODE, key);
        }
    }
}

TEST_P(SecretMembers, AKiCopiedOntoAnotherCardAnswersAsUnreadableNotAsThatCardsKi)
{
    const std::string first = "460001000000000", second = "460001000000001";
    database()->exec("UPDATE rsim_sim SET KI_CODE = (SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?) "
                     "WHERE IMSI = ?",
                     {first, second});

    const SRemoteSimInfoList found = sims(first, "460001000000002");
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found[0].KI_CODE, "1A2B3C4D5E6F708192A3B4C5D6E7F809");
    EXPECT_EQ(found[1].IMSI, second);
    EXPECT_EQ(found[1].KI_CODE, rsim::secrets::kUnreadable);
    EXPECT_EQ(found[2].KI_CODE, "1A2B3C4F5E6F708392A3B4D3D6E7F813");
}

RSIM_ON_EVERY_BACKEND(SecretMembers);

} // namespace
