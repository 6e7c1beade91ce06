#include "service_fixture.h"

#include "tvd_json_stream.h"

#include <cstdio>
#include <cstdlib>

namespace testsupport {

std::string logIn(const std::string& address, const std::string& name, const std::string& password)
{
    setenv("TAV_BROKER_TAVORINE", address.c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    return tvd_login("TAVORINE", name, password, op, error) == 0 ? "" : error.message;
}

MResRemoteMgntDef::SRemoteSimInfo card(long long n)
{
    char imsi[16], iccid[21];
    std::snprintf(imsi, sizeof imsi, "4600099%08lld", n);
    std::snprintf(iccid, sizeof iccid, "89860099%012lld", n);
    MResRemoteMgntDef::SRemoteSimInfo sim;
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
    return sim;
}

MResRemoteMgntDef::SRemoteSimInfoList cards(long long first, int count)
{
    MResRemoteMgntDef::SRemoteSimInfoList list;
    for (int i = 0; i < count; ++i)
        list.push_back(card(first + i));
    return list;
}

MResRemoteMgntDef::SResRemoteProvCodeList
provinces(std::initializer_list<std::pair<const char*, const char*>> rows)
{
    MResRemoteMgntDef::SResRemoteProvCodeList list;
    for (const auto& [code, name] : rows) {
        auto& p = *static_cast<MResRemoteMgntDef::SResRemoteProvCode*>(list.append());
        p.set_PROVINCE_CODE(code);
        p.set_PROVINCE_NAME(name);
    }
    return list;
}

void ServiceTest::SetUp()
{
    BackendTest::SetUp();
    if (IsSkipped())
        return;
    server_ = std::make_unique<RsimdProcess>(GetParam(), 4, rsimdArguments_);
    ASSERT_EQ(login("admin", "admin123"), "");
    ASSERT_EQ(remote_.bind(server_->address()), 0);
    ASSERT_EQ(sys_.bind(server_->address()), 0);
}

std::string ServiceTest::request(const CTvdBasicParamObject& in)
{
    return R"({"in":)" + tvd::wire::ParamsWriter(in).all() + "}";
}

rawhttp::HttpAnswer ServiceTest::call(const std::string& code, const std::string& body,
                                      const std::string& extraHeaders)
{
    return rawhttp::exchange(
        server_->port(),
        rawhttp::post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/" + code, body,
                      "X-Tav-Session: " + tvd_processSession() + "\r\n" + extraHeaders));
}

MResRemoteMgntDef::SRemoteSimInfoList ServiceTest::sims(const std::string& first,
                                                        const std::string& last, int maxNum)
{
    MResRemoteMgntDef::SRemoteSimQryIn criteria;
    criteria.set_START_IMSI(first);
    criteria.set_END_IMSI(last);
    criteria.set_MAX_NUM(maxNum);
    MResRemoteMgntDef::SRemoteSimInfoList found;
    CBSErrorMsg error;
    EXPECT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
    return found;
}

std::unique_ptr<rsim::db::Driver> ServiceTest::database() const
{
    return rsim::db::connect(server_->database());
}

std::int64_t ServiceTest::count(const std::string& sql, const rsim::db::Row& params) const
{
    return rsim::db::asInt(database()->scalar(sql, params));
}

std::string ServiceTest::stored(const std::string& sql, const rsim::db::Row& params) const
{
    return rsim::db::asText(database()->scalar(sql, params));
}

std::unique_ptr<rsim::db::Driver> ServiceTest::auditDatabase() const
{
    std::string address = server_->database();
    if (address.starts_with("sqlite:"))
        address.replace(address.size() - 3, 3, "-audit.db");
    return rsim::db::connect(address);
}

std::int64_t ServiceTest::audited(const std::string& sql, const rsim::db::Row& params) const
{
    return rsim::db::asInt(auditDatabase()->scalar(sql, params));
}

} // namespace testsupport
