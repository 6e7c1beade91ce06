#include "records.h"

#include <cstdio>

namespace tablestest {

using namespace MResRemoteMgntDef;

SRemoteSimInfo card(int n)
{
    char imsi[16], iccid[21];
    std::snprintf(imsi, sizeof imsi, "4600090000%05d", n);
    std::snprintf(iccid, sizeof iccid, "898600900000%08d", n);
    SRemoteSimInfo sim;
    sim.set_IMSI(imsi);
    sim.set_SIM_ID(iccid);
    sim.set_PIN1("1234");
    sim.set_PIN2("12345678");
    sim.set_PUK1("12345678");
    sim.set_PUK2("87654321");
    sim.set_KI_CODE("0123456789ABCDEF0123456789abcdef");
    sim.set_KI_KEY("KEY00001");
    sim.set_RES_CODE("C64");
    sim.set_VENDOR_CODE("V01");
    sim.set_SMSP("+8613800200500");
    sim.set_REGION_CODE(10);
    sim.set_COUNTY_CODE(1001);
    sim.set_ORG_ID(100101);
    sim.set_STS(1);
    sim.set_RES_STS(1);
    return sim;
}

SRemoteSimInfoList cards(int first, int count)
{
    SRemoteSimInfoList list;
    list.reserve(count);
    for (int n = first; n < first + count; ++n)
        list.push_back(card(n));
    return list;
}

void setText(CTvdBasicStructObject& record, int member, const std::string& value)
{
    void* addresses[CTvdBasicStructObject::kMaxMembers];
    record.get_members(addresses);
    *static_cast<std::string*>(addresses[member]) = value;
    record.markSet(member);
}

SResRemoteProvCodeList provinces(std::initializer_list<std::pair<const char*, const char*>> rows)
{
    SResRemoteProvCodeList list;
    for (const auto& [code, name] : rows) {
        SResRemoteProvCode p;
        p.set_PROVINCE_CODE(code);
        p.set_PROVINCE_NAME(name);
        list.push_back(p);
    }
    return list;
}

SResRemoteMsisdnGroup group(const std::string& code, std::int16_t region)
{
    SResRemoteMsisdnGroup g;
    g.set_MSISDN_GROUP(code);
    g.set_MSISDN_NAME("测试号群" + code);
    g.set_REGION_CODE(region);
    g.set_PROVINCE_CODE("44");
    return g;
}

SResRemoteImsiMsisdnGrp imsiRange(const std::string& group, const std::string& first, const std::string& last,
                                  std::int16_t region)
{
    SResRemoteImsiMsisdnGrp r;
    r.set_MSISDN_GROUP(group);
    r.set_REGION_CODE(region);
    r.set_PROVINCE_CODE("44");
    r.set_FIRST_IMSI(first);
    r.set_LAST_IMSI(last);
    return r;
}

} // namespace tablestest
