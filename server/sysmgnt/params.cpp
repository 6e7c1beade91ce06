#include "params.h"

#include "sysmgnt.h"

#include "ResRemoteSimTables.h"
#include "SysMgntMisc_def_tvd_c.h"

namespace rsim::sysmgnt {
namespace {

using db::Row;

constexpr int kReadsSecretParameters =
    rsimcatalog::TableOf<MResRemoteMgntDef::SResRemoteCardVendorDll>().rights.modify;

std::string auditKey(const MSysmgntDef::SPublicParam& p)
{
    return "sys_param PARAM_CODE=" + p.PARAM_CODE +
           " REGION_CODE=" + std::to_string(p.REGION_CODE) +
           " COUNTY_CODE=" + std::to_string(p.COUNTY_CODE);
}

// A sealed value, or the mark of one that does not open (moved from another row, or sealed
// under a key the key file no longer holds).
std::string opened(const secrets::SecretBox& box, const std::string& stored,
                   const MSysmgntDef::SPublicParam& p)
{
    try {
        return box.decrypt(stored, parameterPlace(p.PARAM_CODE, p.REGION_CODE, p.COUNTY_CODE));
    } catch (const secrets::SecretError&) {
        return secrets::kUnreadable;
    }
}

int sysParam(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
             CBSErrorMsg&)
{
    auto& criteria = static_cast<MSysmgntDef::SPublicParam&>(*in.object(0));
    std::string sql =
        "SELECT REGION_CODE, COUNTY_CODE, PARAM_CODE, PARAM_NAME, PARAM_CLASS, PARAM_DATA_TYPE, "
        "PARAM_VALUE, PARAM_DESC, PARAM_SECRET FROM sys_param WHERE PARAM_CODE = ?";
    Row params{criteria.PARAM_CODE};
    if (criteria.isSet(MSysmgntDef::SPublicParam::idx_REGION_CODE)) {
        sql += " AND REGION_CODE IN (0, ?)";
        params.emplace_back(std::int64_t{criteria.REGION_CODE});
    }
    std::optional<bool> readsSecrets;
    context.db.query(sql + " ORDER BY REGION_CODE, COUNTY_CODE", params, [&](const Row& row) {
        auto& p = *static_cast<MSysmgntDef::SPublicParam*>(
            static_cast<MSysmgntDef::SPublicParamList&>(*out.object(0)).append());
        p.set_REGION_CODE(static_cast<std::int16_t>(db::asInt(row[0])));
        p.set_COUNTY_CODE(static_cast<std::int16_t>(db::asInt(row[1])));
        p.set_PARAM_CODE(db::asText(row[2]));
        p.set_PARAM_NAME(db::asText(row[3]));
        p.set_PARAM_CLASS(static_cast<std::int16_t>(db::asInt(row[4])));
        p.set_PARAM_DATA_TYPE(db::asText(row[5]));
        p.set_PARAM_DESC(db::asText(row[7]));
        if (db::asInt(row[8]) == 0) {
            p.set_PARAM_VALUE(db::asText(row[6]));
            return;
        }
        if (!readsSecrets)
            readsSecrets = context.holdsModifyRight(kReadsSecretParameters);
        if (*readsSecrets) {
            p.set_PARAM_VALUE(opened(context.secrets, db::asText(row[6]), p));
            context.auditKeys.push_back(auditKey(p));
        }
    });
    return 0;
}

} // namespace

HandlerEntry sysParamQuery()
{
    return HandlerEntry::query(sysParam, 0, kReadsSecretParameters);
}

secrets::SealedColumn secretParameters()
{
    return {"sys_param",
            "PARAM_VALUE",
            {"PARAM_CODE", "REGION_CODE", "COUNTY_CODE"},
            "PARAM_SECRET = 1",
            true};
}

secrets::Place parameterPlace(const std::string& code, std::int64_t region, std::int64_t county)
{
    return {"sys_param", "PARAM_VALUE", {code, std::to_string(region), std::to_string(county)}};
}

} // namespace rsim::sysmgnt
