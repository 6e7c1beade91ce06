// Demo data of the SIM inventory and of the inquiry tables: 200 cards in the IMSI ranges of the
// three demo groups, a card-writing log, provisioning-platform segments and ranges, resource codes.
#include "demo.h"

#include "ResRemoteSimMgnt_def_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"

namespace rsim::tables {
namespace {

using namespace MResRemoteMgntDef;

constexpr int kCards = 200;

// Cards 0–99 belong to region 10, 100–149 to 11, 150–199 to 12, each in its group's IMSI range.
int regionOfCard(int card)
{
    return card < 100 ? 10 : card < 150 ? 11 : 12;
}

std::string imsiOfCard(int card)
{
    return "46000" + std::to_string(regionOfCard(card) - 9) + zeroPadded(card, 9);
}

// Every tenth ICCID is 19 characters ending in a hexadecimal letter, as some operators issue.
std::string iccidOfCard(int card)
{
    if (card % 10 == 9)
        return "8986" + std::to_string(regionOfCard(card)) + zeroPadded(card, 12) + "A";
    return "8986" + std::to_string(regionOfCard(card)) + zeroPadded(card, 14);
}

std::string kiOfCard(int card)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%08X%08X%08X%08X", 0x1A2B3C4Du + card, 0x5E6F7081u ^ card,
                  0x92A3B4C5u + card * 7u, 0xD6E7F809u ^ (card * 13u));
    return buffer;
}

SRemoteSimInfo card(int i)
{
    const auto region = static_cast<std::int16_t>(regionOfCard(i));
    const auto county = static_cast<std::int16_t>(region * 100 + 1 + i % 3);
    SRemoteSimInfo s;
    s.set_IMSI(imsiOfCard(i));
    s.set_SIM_ID(iccidOfCard(i));
    s.set_RES_CODE(i % 3 == 0 ? "C128" : i % 7 == 0 ? "D128" : "C64");
    s.set_REGION_CODE(region);
    s.set_COUNTY_CODE(county);
    s.set_ORG_ID(county * 100 + 1 + i % 2);
    s.set_PIN1("1234");
    s.set_PIN2("5678");
    s.set_PUK1(zeroPadded(12345678 + i, 8));
    s.set_PUK2(zeroPadded(87654321 - i, 8));
    s.set_PURPOSE(static_cast<std::int16_t>(1 + i % 3));
    s.set_STS(static_cast<std::int16_t>(1 + i % 4));
    s.set_RES_STS(static_cast<std::int16_t>(1 + (i / 4) % 4));
    s.set_KI_CODE(kiOfCard(i));
    s.set_KI_KEY(i % 5 == 0 ? "K" + zeroPadded(i, 7) : "");
    s.set_SMSP("+8613800200500");
    s.set_VENDOR_CODE(i % 2 == 0 ? "V01" : i % 3 == 0 ? "V03" : "V02");
    s.set_CREATE_DATE(CBSDateTime(2026, 11, 1 + i % 28, 8, 30, 0));
    s.set_REMARK("演示数据");
    return s;
}

void seedCards(db::Driver& db, const secrets::SecretBox& box)
{
    SRemoteSimInfoList sims;
    for (int i = 0; i < kCards; ++i)
        sims.push_back(card(i));
    TableOf("rsim_sim").seed(db, box, sims);
}

void seedWriteLog(db::Driver& db, const secrets::SecretBox& box)
{
    SRemoteSimLogList logs;
    for (int i = 0; i < 40; ++i) {
        auto& l = appended(logs);
        l.set_SO_NBR(202611000000LL + i);
        l.set_SIM_ID(iccidOfCard(i));
        l.set_IMSI(imsiOfCard(i));
        l.set_OP_ID(1 + i % 4 / 3); // mostly admin (1), some viewer (2)
        l.set_OP_TYPE(static_cast<std::int16_t>(1 + i % 3));
        l.set_OP_TIME(CBSDateTime(2026, 11, 1 + i % 28, 9 + i % 8, i % 60, 0));
        l.set_OP_STR(i % 5 == 4 ? "写卡失败：卡片写入校验失败" : "写卡成功");
        l.set_CARD_FLAG(i % 4 == 0 ? "1" : "0");
        l.set_OP_RESULT(static_cast<std::int16_t>(i % 5 == 4 ? 1 : 0));
        l.set_PHONE1("1380000" + zeroPadded(i, 4));
        l.set_PHONE2(i % 4 == 0 ? "1380001" + zeroPadded(i, 4) : "");
        l.set_REGION_CODE(10);
    }
    TableOf("rsim_write_log").seed(db, box, logs);
}

void seedProvisioningPlatform(db::Driver& db, const secrets::SecretBox& box)
{
    SPsNetNumberList numbers;
    SPsNetImsiList imsis;
    for (int i = 0; i < 5; ++i) {
        const std::string region = std::to_string(10 + i % 3);
        auto& n = appended(numbers);
        n.set_NUMBER_SEGMENT("13800" + std::to_string(i));
        n.set_PS_SERVICE_TYPE(1 + i % 2);
        n.set_PS_NET_CODE("HLR" + std::to_string(10 + i % 3));
        n.set_GROUP_CODE("G0" + std::to_string(1 + i % 3));
        n.set_REGION_CODE(region);
        n.set_STATUS(1);
        n.set_OPER_ID(1);
        n.set_ORG_ID((10 + i % 3) * 10000 + 101);
        n.set_DONE_DATE(CBSDateTime(2026, 9, 1 + i, 12, 0, 0));
        n.set_DONE_CODE(90000 + i);
        n.set_SMP_REGION_CODE("020");
        n.set_REMARK(i == 0 ? "首批号段" : "");
        auto& m = appended(imsis);
        m.set_START_IMSI("46000" + zeroPadded(5000000000LL + i * 100000LL, 10));
        m.set_END_IMSI("46000" + zeroPadded(5000000000LL + i * 100000LL + 99999, 10));
        m.set_PS_NET_CODE(n.PS_NET_CODE);
        m.set_GROUP_CODE(n.GROUP_CODE);
        m.set_REGION_CODE(region);
    }
    TableOf("rsim_ps_number").seed(db, box, numbers);
    TableOf("rsim_ps_imsi").seed(db, box, imsis);
}

void seedResourceCodes(db::Driver& db, const secrets::SecretBox& box)
{
    MResSysMgnt::SResCodeDefInfoList codes;
    for (int i = 0; i < 3; ++i) {
        auto& c = appended(codes);
        c.set_RES_CODE(3000 + i);
        c.set_RES_NAME("远程写卡白卡" + std::to_string(i + 1));
        c.set_RES_TYPE(1);
        c.set_USER_TYPE(static_cast<std::int16_t>(1 + i % 2));
        c.set_IS_DETAIL(1);
        c.set_VALID_DATE(CBSDateTime(2026, 1, 1));
        c.set_EXPIRE_DATE(CBSDateTime(2030 + i, 12, 31, 23, 59, 59));
    }
    TableOf("rsim_res_code").seed(db, box, codes);
}

} // namespace

void seedInventory(db::Driver& db, const secrets::SecretBox& box)
{
    seedCards(db, box);
    seedWriteLog(db, box);
    seedProvisioningPlatform(db, box);
    seedResourceCodes(db, box);
}

} // namespace rsim::tables
