#include "PublicAccount.h"

#include "SysMgntService_tvd_c.h"

std::unique_ptr<CNameCodeLookup> MakeNameCodeLookup(std::vector<TCNameCodeInfo> entries)
{
    return std::make_unique<CNameCodeLookup>(
        std::move(entries), [](const TCNameCodeInfo& e) { return e.GetCode(); },
        [](const TCNameCodeInfo& e) { return e.GetName(); });
}

CAccountPublic::CAccountPublic() = default;

CAccountPublic::~CAccountPublic()
{
    if (client_)
        client_->unbind();
}

bool CAccountPublic::Initialize(int, int, int, int, int)
{
    auto client = std::make_unique<MSysSvcApp::ISysMgnt>();
    if (client->bind_tavBroker("TAVORINE") != 0) {
        lastError_.set(-1, 2, "无法连接系统管理服务", tvd_brokerAddress("TAVORINE"));
        return false;
    }
    client_ = std::move(client);
    return true;
}

bool CAccountPublic::GetBaseTypeList(int category, std::unique_ptr<CBasicLookup>& holder)
{
    if (!client_)
        return false;
    MSysSvcDef::SCodeCategory criteria;
    criteria.set_CATEGORY(category);
    MSysSvcDef::SCodeNameList codes;
    if (client_->qry_baseType(criteria, codes, lastError_, nullptr) != 0)
        return false;
    std::vector<TCNameCodeInfo> entries;
    entries.reserve(codes.size());
    for (const auto& code : codes)
        entries.emplace_back(code.CODE, code.NAME);
    holder = MakeNameCodeLookup(std::move(entries));
    return true;
}
