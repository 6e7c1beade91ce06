#include "PublicSysMgnt.h"

#include "SysMgntService_tvd_c.h"

namespace {
constexpr const char* kBroker = "TAVORINE";
}

std::unique_ptr<CCountyLookup> MakeCountyLookup(MSysmgntDef::SCountyList counties)
{
    return std::make_unique<CCountyLookup>(
        std::move(counties),
        [](const MSysmgntDef::SCounty& c) -> std::int64_t { return c.COUNTY_CODE; },
        [](const MSysmgntDef::SCounty& c) { return c.COUNTY_NAME; });
}

std::unique_ptr<COrgLookup> MakeOrgLookup(MSysmgntDef::SOrgBriefProfileList orgs)
{
    return std::make_unique<COrgLookup>(
        std::move(orgs),
        [](const MSysmgntDef::SOrgBriefProfile& o) -> std::int64_t { return o.ORG_ID; },
        [](const MSysmgntDef::SOrgBriefProfile& o) { return o.ORG_NAME; });
}

CSysMgntPublic::CSysMgntPublic() = default;

CSysMgntPublic::~CSysMgntPublic()
{
    if (client_)
        client_->unbind();
}

bool CSysMgntPublic::Init(int, int, int, int, int)
{
    auto client = std::make_unique<MSysSvcApp::ISysMgnt>();
    if (client->bind_tavBroker(kBroker) != 0) {
        lastError_.set(-1, 2, "无法连接系统管理服务", tvd_brokerAddress(kBroker));
        return false;
    }
    client_ = std::move(client);
    return true;
}

bool CSysMgntPublic::Succeeded(int result)
{
    return result == 0;
}

bool CSysMgntPublic::CheckOperRight(int opId, int orgId,
                                    const MSysmgntDef::SOperPrivAuthList& request,
                                    MSysmgntDef::SOperPrivAuthList& answer)
{
    if (!client_) {
        lastError_.set(-1, 1, "系统管理接口尚未初始化", "CheckOperRight");
        return false;
    }
    MSysmgntDef::SOperatorBrief who;
    who.set_OP_ID(opId);
    who.set_ORG_ID(orgId);
    return Succeeded(client_->chk_operRight(who, request, answer, lastError_, nullptr));
}

int CSysMgntPublic::GetSysParaValueList(int regionCode, int countyCode, const char* name,
                                        MSysmgntDef::SPublicParamList& values)
{
    if (!client_) {
        lastError_.set(-1, 1, "系统管理接口尚未初始化", name);
        return 0;
    }
    MSysmgntDef::SPublicParam criteria;
    criteria.set_PARAM_CODE(name);
    if (regionCode != 0)
        criteria.set_REGION_CODE(static_cast<std::int16_t>(regionCode));
    if (countyCode != 0)
        criteria.set_COUNTY_CODE(static_cast<std::int16_t>(countyCode));
    // An empty list is an answer too: the parameter is not configured.
    return Succeeded(client_->qry_sysParam(criteria, values, lastError_, nullptr)) ? 1 : 0;
}

int CSysMgntPublic::GetSysParaMaxValue(int regionCode, int countyCode, const char* name,
                                       std::string& value)
{
    MSysmgntDef::SPublicParamList values;
    if (GetSysParaValueList(regionCode, countyCode, name, values) != 1)
        return 0;
    if (values.empty()) {
        lastError_.set(1, 3, std::string("系统参数未配置：") + name, name);
        return 0;
    }
    value = values[0].PARAM_VALUE;
    for (const auto& param : values)
        value = std::max(value, param.PARAM_VALUE);
    return 1;
}

bool CSysMgntPublic::RefreshComboBox(int regionCode, std::unique_ptr<CCountyLookup>& holder,
                                     QComboBox* comboBox)
{
    if (!client_)
        return false;
    MSysmgntDef::SCounty criteria;
    criteria.set_REGION_CODE(regionCode);
    MSysmgntDef::SCountyList counties;
    if (!Succeeded(client_->qry_county(criteria, counties, lastError_, nullptr)))
        return false;
    holder = MakeCountyLookup(std::move(counties));
    if (comboBox != nullptr) {
        comboBox->clear();
        holder->FillComboBox(comboBox);
    }
    return true;
}

bool CSysMgntPublic::RefreshComboBox(int regionCode, int countyCode,
                                     std::unique_ptr<COrgLookup>& holder, QComboBox* comboBox)
{
    if (!client_)
        return false;
    MSysmgntDef::SOrgBriefProfile criteria;
    criteria.set_REGION_CODE(regionCode);
    criteria.set_COUNTY_CODE(countyCode);
    MSysmgntDef::SOrgBriefProfileList orgs;
    if (!Succeeded(client_->qry_org(criteria, orgs, lastError_, nullptr)))
        return false;
    holder = MakeOrgLookup(std::move(orgs));
    if (comboBox != nullptr) {
        comboBox->clear();
        holder->FillComboBox(comboBox);
    }
    return true;
}

bool CSysMgntPublic::getCurrentDate(CBSDateTime& now)
{
    if (!client_)
        return false;
    MSysSvcDef::SServerDate criteria;
    MSysSvcDef::SServerDateList answer;
    if (!Succeeded(client_->qry_currentDate(criteria, answer, lastError_, nullptr)) ||
        answer.empty())
        return false;
    now = answer[0].NOW;
    return true;
}
