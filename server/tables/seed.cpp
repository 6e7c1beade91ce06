// Demo data of the remote-SIM tables: enough to use every window at once.
#include "table.h"
#include "table_parts.h"

#include "ResRemoteSimMgnt_def_tvd_c.h"
#include "ResSysMgnt_operations.h"
#include "tvd_member.h"

#include <cstdio>

namespace rsim::tables {
namespace {

using namespace MResRemoteMgntDef;

template <class List>
auto& add(List& list)
{
    return *static_cast<typename List::value_type*>(list.append());
}

// Inserts the records into the table of their type.
template <class List>
void seed(db::Driver& db, const secrets::SecretBox& box, const List& records)
{
    StoredTable<typename List::value_type>().seed(db, box, records);
}

std::string digits(long long value, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
    return buffer;
}

std::string hex32(int seed)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%08X%08X%08X%08X", 0x1A2B3C4D + seed, 0x5E6F7081 ^ seed,
                  0x92A3B4C5 + seed * 7, 0xD6E7F809 ^ (seed * 13));
    return buffer;
}

void seedReference(db::Driver& db, const secrets::SecretBox& box)
{
    SResRemoteProvCodeList provinces;
    for (auto [code, name] :
         {std::pair{"11", "北京"}, {"31", "上海"}, {"44", "广东"}, {"51", "四川"}}) {
        auto& p = add(provinces);
        p.set_PROVINCE_CODE(code);
        p.set_PROVINCE_NAME(name);
    }
    seed(db, box, provinces);

    SResRemoteCardTypeList cards;
    for (auto [code, name, dual] : {std::tuple{"C64", "64K普通卡", 0},
                                    {"C128", "128K大容量卡", 0},
                                    {"D128", "128K一卡双号", 1}}) {
        auto& c = add(cards);
        c.set_CARD_TYPE(code);
        c.set_CARD_NAME(name);
        c.set_STS(1);
        c.set_STS_DATE(CBSDateTime(2026, 1, 5, 9, 0, 0));
        c.set_IS_DOUBLE(static_cast<std::int16_t>(dual));
    }
    seed(db, box, cards);

    SResRemoteVendorCodeList vendors;
    for (auto [code, name, ki] :
         {std::tuple{"V01", "华南智能卡", 1}, {"V02", "东方卡业", 0}, {"V03", "西部芯片", 1}}) {
        auto& v = add(vendors);
        v.set_VENDOR_CODE(code);
        v.set_VENDOR_NAME(name);
        v.set_IS_KI(static_cast<std::int16_t>(ki));
    }
    seed(db, box, vendors);

    SResRemoteMsisdnGroupList groups;
    SResRemoteImsiMsisdnGrpList imsiRanges;
    SResRemoteMsisdnGrpList msisdnRanges;
    // Three groups of 广东 in the three regions, and one of 北京 in 广州, so that the range
    // windows, which first query the operator's region and the first province, show a row.
    for (int i = 0; i < 4; ++i) {
        const int region = 10 + i % 3;
        auto& g = add(groups);
        g.set_MSISDN_GROUP("G0" + std::to_string(i + 1));
        g.set_MSISDN_NAME(std::string("号群") + "ABCD"[i]);
        g.set_REGION_CODE(static_cast<std::int16_t>(region));
        g.set_ALART_SET(0);
        g.set_PROVINCE_CODE(i < 3 ? "44" : "11");
        g.set_COUNTY_CODE(static_cast<std::int16_t>(region * 100 + 1));
        g.set_ORG_ID(region * 10000 + 101);
        auto& r = add(imsiRanges);
        r.set_MSISDN_GROUP(g.MSISDN_GROUP);
        r.set_FIRST_IMSI("46000" + digits(1000000000LL * (i + 1), 10));
        r.set_LAST_IMSI("46000" + digits(1000000000LL * (i + 1) + 999999999LL, 10));
        r.set_REGION_CODE(g.REGION_CODE);
        r.set_PROVINCE_CODE(g.PROVINCE_CODE);
        r.set_COUNTY_CODE(g.COUNTY_CODE);
        r.set_ORG_ID(g.ORG_ID);
        auto& m = add(msisdnRanges);
        m.set_MSISDN_GROUP(g.MSISDN_GROUP);
        m.set_FIRST_MSISDN("1380" + std::to_string(i) + "000000");
        m.set_LAST_MSISDN("1380" + std::to_string(i) + "999999");
        m.set_REGION_CODE(g.REGION_CODE);
        m.set_PROVINCE_CODE(g.PROVINCE_CODE);
        m.set_COUNTY_CODE(g.COUNTY_CODE);
        m.set_ORG_ID(g.ORG_ID);
    }
    seed(db, box, groups);
    seed(db, box, imsiRanges);
    seed(db, box, msisdnRanges);
}

void seedCards(db::Driver& db, const secrets::SecretBox& box)
{
    SRemoteSimInfoList sims;
    for (int i = 0; i < 200; ++i) {
        auto& s = add(sims);
        s.set_IMSI("460001000" + digits(i, 6));
        s.set_SIM_ID("898600" + digits(1000000000000LL + i, 14));
        s.set_RES_CODE(i % 3 == 0 ? "C128" : "C64");
        s.set_REGION_CODE(10);
        s.set_COUNTY_CODE(1001);
        s.set_ORG_ID(100101);
        s.set_PIN1("1234");
        s.set_PIN2("5678");
        s.set_PUK1(digits(12345678 + i, 8));
        s.set_PUK2(digits(87654321 - i, 8));
        s.set_PURPOSE(1);
        s.set_STS(1);
        s.set_RES_STS(1);
        s.set_KI_CODE(hex32(i));
        s.set_SMSP("+8613800200500");
        s.set_VENDOR_CODE(i % 2 == 0 ? "V01" : "V02");
        s.set_CREATE_DATE(CBSDateTime(2026, 11, 1, 8, 30, 0));
        s.set_REMARK("演示数据");
    }
    seed(db, box, sims);

    SResRemoteCardVendorDllList dlls;
    // The first province, vendor and card type are what the registry windows query first.
    for (auto [province, vendor, card, file] : {std::tuple{"44", "V01", "C64", "hnsc_w64.dll"},
                                                {"44", "V01", "C128", "hnsc_w128.dll"},
                                                {"44", "V02", "C64", "dfky.dll"},
                                                {"11", "V01", "C128", "hnsc_w128.dll"},
                                                {"11", "V01", "C128", "hnsc_w128_v2.dll"}}) {
        auto& d = add(dlls);
        d.set_PROVINCE_CODE(province);
        d.set_VENDOR_CODE(vendor);
        d.set_CARD_TYPE(card);
        d.set_DLL_NAME(file);
        d.set_REG_CODE("REG-" + std::string(vendor) + card);
        d.set_VERSION_ID("1.0.3");
        d.set_CREATE_DATE(CBSDateTime(2026, 10, 12, 14, 0, 0));
    }
    seed(db, box, dlls);

    SResRemoteDllErrMsgList errors;
    for (auto [card, file] : {std::pair{"C64", "hnsc_w64.dll"}, {"C128", "hnsc_w128.dll"}}) {
        for (auto [code, text] : {std::pair{"E001", "读卡器未连接"},
                                  {"E002", "卡片写入校验失败"},
                                  {"E003", "KI解密失败"}}) {
            auto& e = add(errors);
            e.set_VENDOR_CODE("V01");
            e.set_CARD_TYPE(card);
            e.set_DLL_NAME(file);
            e.set_ERR_CODE(code);
            e.set_ERR_MESSAGE(text);
        }
    }
    seed(db, box, errors);
}

void seedAuc(db::Driver& db, const secrets::SecretBox& box)
{
    SResRemoteAucInfoList aucs;
    for (int i = 0; i < 5; ++i) {
        auto& a = add(aucs);
        a.set_PROVINCE_CODE(i < 3 ? "44" : "11");
        a.set_VENDOR_CODE("V01");
        a.set_CARD_TYPE(i < 3 ? "C64" : "C128");
        a.set_SIM_SEQUENCE("AUC" + digits(i + 1, 6));
        a.set_PWD("pw" + digits(i + 1, 4));
        a.set_REGION_CODE(10);
        a.set_COUNTY_CODE(1001);
        a.set_ORG_ID(100101);
        a.set_FUNCTION_CODE("WRITE");
        a.set_OP_ID(1);
        a.set_STS(1);
        a.set_OPER_DATE(CBSDateTime(2026, 11, 20, 10, 0, 0));
    }
    seed(db, box, aucs);

    SResRemoteSysAucList rights;
    for (int i = 0; i < 3; ++i) {
        auto& r = add(rights);
        r.set_SIM_SEQUENCE("AUC000001");
        r.set_ENT_TYPE(static_cast<std::int16_t>(1 + i % 2));
        r.set_ENT_CODE(std::to_string(100101 + i));
        r.set_ENT_NAME(std::string("营业厅") + std::to_string(i + 1));
    }
    seed(db, box, rights);
}

// A year of card writing up to today: about ten entries a day in time order (work orders rise
// with time), mostly in the admin's region, by the three demo operators, one in ten failed.
void seedWriteLog(db::Driver& db, const secrets::SecretBox& box)
{
    constexpr int kEntries = 3650;
    constexpr const char* kFailures[] = {"写卡失败：读卡器未连接", "写卡失败：卡片写入校验失败",
                                         "写卡失败：KI解密失败"};
    const double today = CBSDateTime::currentDateTime().toTDateTime();
    std::uint32_t random = 20261;
    auto next = [&random](std::uint32_t below) {
        random = random * 1103515245u + 12345u;
        return (random >> 8) % below;
    };
    SRemoteSimLogList logs;
    for (int i = 0; i < kEntries; ++i) {
        auto& l = add(logs);
        const double daysAgo = 365.0 * (kEntries - 1 - i) / kEntries;
        l.set_SO_NBR(300000000000LL + i);
        l.set_SIM_ID("898600" + digits(2000000000000LL + i, 14));
        l.set_IMSI("460002000" + digits(i, 6));
        const std::uint32_t place = next(8);
        l.set_REGION_CODE(static_cast<std::int16_t>(place < 5 ? 10 : 11 + place % 2));
        l.set_OP_ID(static_cast<std::int32_t>(place < 3 ? 1 : 1 + next(3)));
        l.set_OP_TYPE(static_cast<std::int16_t>(1 + next(3)));
        l.set_OP_TIME(CBSDateTime::fromTDateTime(today - daysAgo - next(600) / 1440.0));
        const bool failed = next(10) == 0;
        l.set_OP_RESULT(static_cast<std::int16_t>(failed ? 1 + next(3) : 0));
        l.set_OP_STR(failed ? kFailures[l.OP_RESULT - 1] : "写卡成功");
        const bool dual = next(6) == 0;
        l.set_CARD_FLAG(dual ? "1" : "0");
        l.set_PHONE1("138" + digits(10000000 + i, 8));
        if (dual)
            l.set_PHONE2("147" + digits(20000000 + i, 8));
        if (i % 97 == 0)
            l.set_REMARK("营业厅补写");
    }
    seed(db, box, logs);
}

void seedInquiries(db::Driver& db, const secrets::SecretBox& box)
{
    seedWriteLog(db, box);

    SPsNetNumberList numbers;
    SPsNetImsiList imsis;
    for (int i = 0; i < 5; ++i) {
        auto& n = add(numbers);
        n.set_NUMBER_SEGMENT("13800" + std::to_string(i) + "0");
        n.set_PS_SERVICE_TYPE(1);
        n.set_PS_NET_CODE("HLR" + std::to_string(10 + i));
        n.set_GROUP_CODE("G01");
        n.set_REGION_CODE(std::to_string(10 + i % 3));
        n.set_STATUS(1);
        n.set_OPER_ID(1);
        n.set_ORG_ID(100101);
        n.set_DONE_DATE(CBSDateTime(2026, 9, 1 + i, 12, 0, 0));
        n.set_DONE_CODE(90000 + i);
        n.set_SMP_REGION_CODE("020");
        n.set_REMARK(i % 2 == 0 ? "GSM号段" : "TD号段");
        auto& m = add(imsis);
        m.set_START_IMSI("46000" + digits(5000000000LL + i * 100000LL, 10));
        m.set_END_IMSI("46000" + digits(5000000000LL + i * 100000LL + 99999, 10));
        m.set_PS_NET_CODE(n.PS_NET_CODE);
        m.set_GROUP_CODE("G01");
        m.set_REGION_CODE(n.REGION_CODE);
        m.set_REMARK("开通平台IMSI段");
    }
    seed(db, box, numbers);
    seed(db, box, imsis);

    MResSysMgnt::SResCodeDefInfoList codes;
    for (int i = 0; i < 3; ++i) {
        auto& c = add(codes);
        c.set_RES_CODE(3000 + i);
        c.set_RES_NAME(std::string("远程写卡白卡") + std::to_string(i + 1));
        c.set_RES_TYPE(1);
        c.set_IS_DETAIL(1);
    }
    seed(db, box, codes);
}

std::string sampleText(Format format)
{
    switch (format) {
    case Format::Imsi: return "460009900000001";
    case Format::Iccid: return "89860099000000000001";
    case Format::Ki: return std::string(32, 'A');
    case Format::Pin: return "1234";
    case Format::Puk: return "12345678";
    case Format::Smsp: return "+8613800200500";
    case Format::Msisdn: return "13800000001";
    case Format::Code: return "D01";
    case Format::Any: break;
    }
    return "演示";
}

} // namespace

void Table::seedSample(db::Driver& db, const secrets::SecretBox& box) const
{
    if (!isNull(db.scalar("SELECT 1 FROM " + name_ + " LIMIT 1")))
        return;
    const auto list = CTvdTypeInfo::find(def_.record().name() + "List")->createList();
    CTvdBasicStructObject& record = *list->append();
    for (const auto& c : columns_) {
        std::string text = sampleText(Format::Any);
        for (const auto& rule : def_.rules) {
            if (rule.member != c.name)
                continue;
            text = sampleText(rule.format);
            if (const Table* named =
                    rule.references.empty() ? nullptr : &StoredTable(rule.references))
                text = db::asText(db.scalar("SELECT " + named->keyNames_.front() + " FROM " +
                                            named->name_ + " ORDER BY 1 LIMIT 1"));
        }
        tvd_withKind(c.kind, [&](auto type) {
            using T = typename decltype(type)::type;
            if constexpr (std::is_same_v<T, std::string>)
                tvd_memberAt<T>(record, c.offset) = text;
            else if constexpr (std::is_same_v<T, CBSDateTime>)
                tvd_memberAt<T>(record, c.offset) = CBSDateTime(2026, 1, 1, 8, 0, 0);
            else
                tvd_memberAt<T>(record, c.offset) = 1;
        });
        record.markSet(c.member);
    }
    seed(db, box, *list);
}

void seedDemo(db::Driver& db, const secrets::SecretBox& box)
{
    db::Transaction tx(db);
    seedReference(db, box);
    seedCards(db, box);
    seedAuc(db, box);
    seedInquiries(db, box);
    for (const Table& table : Tables())
        if (table.def().table.rights.add != 0)
            table.seedSample(db, box);
    tx.commit();
}

} // namespace rsim::tables
