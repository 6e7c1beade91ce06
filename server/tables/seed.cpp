// Demo data of the reference tables: provinces, card types, vendors, groups with their ranges,
// vendor libraries with their error messages, authentication cards and their rights.
#include "demo.h"
#include "table.h"

#include "ResRemoteSimMgnt_def_tvd_c.h"

#include <tuple>

namespace rsim::tables {
namespace {

using namespace MResRemoteMgntDef;

void seedCodes(db::Driver& db, const secrets::SecretBox& box)
{
    SResRemoteProvCodeList provinces;
    for (auto [code, name] : {std::pair{"11", "北京"}, {"31", "上海"}, {"44", "广东"}, {"51", "四川"}}) {
        auto& p = appended(provinces);
        p.set_PROVINCE_CODE(code);
        p.set_PROVINCE_NAME(name);
    }
    TableOf("rsim_province").seed(db, box, provinces);

    SResRemoteCardTypeList cards;
    for (auto [code, name, dual] : {std::tuple{"C64", "64K普通卡", 0}, {"C128", "128K大容量卡", 0},
                                    {"D128", "128K一卡双号卡", 1}}) {
        auto& c = appended(cards);
        c.set_CARD_TYPE(code);
        c.set_CARD_NAME(name);
        c.set_STS(1);
        c.set_STS_DATE(CBSDateTime(2026, 1, 5, 9, 0, 0));
        c.set_IS_DOUBLE(static_cast<std::int16_t>(dual));
    }
    TableOf("rsim_card_type").seed(db, box, cards);

    SResRemoteVendorCodeList vendors;
    for (auto [code, name, ki] : {std::tuple{"V01", "华南智能卡", 1}, {"V02", "东方卡业", 0}, {"V03", "西部芯片", 1}}) {
        auto& v = appended(vendors);
        v.set_VENDOR_CODE(code);
        v.set_VENDOR_NAME(name);
        v.set_IS_KI(static_cast<std::int16_t>(ki));
    }
    TableOf("rsim_vendor").seed(db, box, vendors);
}

// One group per region of the province 44, each with an IMSI range and an MSISDN range.
void seedGroups(db::Driver& db, const secrets::SecretBox& box)
{
    SResRemoteMsisdnGroupList groups;
    SResRemoteImsiMsisdnGrpList imsiRanges;
    SResRemoteMsisdnGrpList msisdnRanges;
    const char* names[] = {"广州号群", "深圳号群", "珠海号群"};
    for (int i = 0; i < 3; ++i) {
        const auto region = static_cast<std::int16_t>(10 + i);
        const auto county = static_cast<std::int16_t>(region * 100 + 1);
        auto& g = appended(groups);
        g.set_MSISDN_GROUP("G0" + std::to_string(i + 1));
        g.set_MSISDN_NAME(names[i]);
        g.set_REGION_CODE(region);
        g.set_ALART_SET(0);
        g.set_PROVINCE_CODE("44");
        g.set_COUNTY_CODE(county);
        g.set_ORG_ID(county * 100 + 1);
        auto& r = appended(imsiRanges);
        r.set_MSISDN_GROUP(g.MSISDN_GROUP);
        r.set_FIRST_IMSI("46000" + std::to_string(i + 1) + "000000000");
        r.set_LAST_IMSI("46000" + std::to_string(i + 1) + "999999999");
        r.set_REGION_CODE(region);
        r.set_PROVINCE_CODE("44");
        auto& m = appended(msisdnRanges);
        m.set_MSISDN_GROUP(g.MSISDN_GROUP);
        m.set_FIRST_MSISDN("1380" + std::to_string(i) + "000000");
        m.set_LAST_MSISDN("1380" + std::to_string(i) + "999999");
        m.set_REGION_CODE(region);
        m.set_PROVINCE_CODE("44");
    }
    TableOf("rsim_msisdn_group").seed(db, box, groups);
    TableOf("rsim_imsi_range").seed(db, box, imsiRanges);
    TableOf("rsim_msisdn_range").seed(db, box, msisdnRanges);
}

void seedVendorLibraries(db::Driver& db, const secrets::SecretBox& box)
{
    SResRemoteCardVendorDllList dlls;
    for (auto [vendor, card, file] : {std::tuple{"V01", "C64", "hnsc_w64.dll"}, {"V01", "C128", "hnsc_w128.dll"},
                                      {"V02", "C64", "dfky.dll"}}) {
        auto& d = appended(dlls);
        d.set_PROVINCE_CODE("44");
        d.set_VENDOR_CODE(vendor);
        d.set_CARD_TYPE(card);
        d.set_DLL_NAME(file);
        d.set_REG_CODE("REG-" + std::string(vendor) + card);
        d.set_VERSION_ID("1.0.3");
        d.set_CREATE_DATE(CBSDateTime(2026, 10, 12, 14, 0, 0));
    }
    TableOf("rsim_vendor_dll").seed(db, box, dlls);

    SResRemoteDllErrMsgList errors;
    for (auto [code, text] : {std::pair{"E001", "读卡器未连接"}, {"E002", "卡片写入校验失败"}, {"E003", "KI解密失败"}}) {
        auto& e = appended(errors);
        e.set_VENDOR_CODE("V01");
        e.set_CARD_TYPE("C64");
        e.set_DLL_NAME("hnsc_w64.dll");
        e.set_ERR_CODE(code);
        e.set_ERR_MESSAGE(text);
    }
    TableOf("rsim_dll_error").seed(db, box, errors);
}

void seedAuthenticationCards(db::Driver& db, const secrets::SecretBox& box)
{
    SResRemoteAucInfoList aucs;
    for (int i = 0; i < 3; ++i) {
        auto& a = appended(aucs);
        a.set_PROVINCE_CODE("44");
        a.set_VENDOR_CODE("V01");
        a.set_CARD_TYPE("C64");
        a.set_SIM_SEQUENCE("AUC" + zeroPadded(i + 1, 6));
        a.set_PWD("pw" + zeroPadded(i + 1, 4));
        a.set_REGION_CODE(10);
        a.set_COUNTY_CODE(1001);
        a.set_ORG_ID(100101);
        a.set_FUNCTION_CODE("WRITE");
        a.set_OP_ID(1);
        a.set_STS(static_cast<std::int16_t>(1 + i % 2));
        a.set_OPER_DATE(CBSDateTime(2026, 11, 20, 10, i, 0));
    }
    TableOf("rsim_auc_info").seed(db, box, aucs);

    SResRemoteSysAucList rights;
    for (auto [type, code, name] : {std::tuple{1, "100101", "广州一区营业厅1"}, {1, "100102", "广州一区营业厅2"},
                                    {3, "1", "系统管理员"}}) {
        auto& r = appended(rights);
        r.set_SIM_SEQUENCE("AUC000001");
        r.set_ENT_TYPE(static_cast<std::int16_t>(type));
        r.set_ENT_CODE(code);
        r.set_ENT_NAME(name);
    }
    TableOf("rsim_auc_right").seed(db, box, rights);
}

} // namespace

void seedReferenceData(db::Driver& db, const secrets::SecretBox& box)
{
    seedCodes(db, box);
    seedGroups(db, box);
    seedVendorLibraries(db, box);
    seedAuthenticationCards(db, box);
}

void seedDemo(db::Driver& db, const secrets::SecretBox& box)
{
    db::Transaction transaction(db);
    seedReferenceData(db, box);
    seedInventory(db, box);
    transaction.commit();
}

} // namespace rsim::tables
