#include "params.h"

#include "sysmgnt.h"

#include "ResRemoteSimTables.h"
#include "SysMgntMisc_def_tvd_c.h"
#include "sealed_columns.h"

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

db::Row keyOf(const MSysmgntDef::SPublicParam& p)
{
    return {p.PARAM_CODE, std::int64_t{p.REGION_CODE}, std::int64_t{p.COUNTY_CODE}};
}

constexpr const char* kWhereKey = " WHERE PARAM_CODE = ? AND REGION_CODE = ? AND COUNTY_CODE = ?";

// A value an administrator wrote in plain while the service ran: sealed where it is, unless it
// changed meanwhile (another replica sealed it first).
void sealWrittenInPlain(CallContext& context, const MSysmgntDef::SPublicParam& p,
                        const std::string& plain)
{
    Row params{
        context.secrets.encrypt(plain, parameterPlace(p.PARAM_CODE, p.REGION_CODE, p.COUNTY_CODE))};
    for (auto& part : keyOf(p))
        params.push_back(std::move(part));
    params.emplace_back(plain);
    context.db.exec(std::string("UPDATE sys_param SET PARAM_VALUE = ?") + kWhereKey +
                        " AND PARAM_VALUE = ?",
                    params);
}

// A secret value as stored: opened when sealed, as it is when written in plain, or the mark of
// one that does not open (moved from another row, or sealed under a key the key file no longer
// holds).
std::string opened(const secrets::SecretBox& box, const std::string& stored,
                   const MSysmgntDef::SPublicParam& p)
{
    if (!secrets::SecretBox::looksSealed(stored))
        return stored;
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
    std::vector<std::pair<MSysmgntDef::SPublicParam, std::string>> writtenInPlain;
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
        p.set_PARAM_SECRET(static_cast<std::int16_t>(db::asInt(row[8])));
        const std::string stored = db::asText(row[6]);
        if (p.PARAM_SECRET == 0) {
            p.set_PARAM_VALUE(stored);
            return;
        }
        if (!stored.empty() && !secrets::SecretBox::looksSealed(stored))
            writtenInPlain.emplace_back(p, stored);
        if (!readsSecrets)
            readsSecrets = context.holdsModifyRight(kReadsSecretParameters);
        if (*readsSecrets) {
            p.set_PARAM_VALUE(opened(context.secrets, stored, p));
            context.auditKeys.push_back(auditKey(p));
        }
    });
    if (writtenInPlain.empty())
        return 0;
    db::Transaction transaction(context.db);
    secrets::takeUpKeyVersion(context.db, context.secrets);
    for (const auto& [p, plain] : writtenInPlain)
        sealWrittenInPlain(context, p, plain);
    transaction.commit();
    return 0;
}

// Sets the values of existing parameters, sealing those marked secret; the audit names each
// parameter, never its value.
class ParamWriter : public RecordWriter {
public:
    explicit ParamWriter(CallContext& context) : context_(context) {}

    int write(const CTvdBasicListObject& records, CBSErrorMsg& error) override
    {
        for (const auto& p : static_cast<const MSysmgntDef::SPublicParamList&>(records))
            if (const int result = set(p, error); result != 0)
                return result;
        return 0;
    }

private:
    int set(const MSysmgntDef::SPublicParam& p, CBSErrorMsg& error)
    {
        const db::Value secret = context_.db.scalar(
            std::string("SELECT PARAM_SECRET FROM sys_param") + kWhereKey, keyOf(p));
        if (std::holds_alternative<std::monostate>(secret)) {
            error.set(1, kRefusedNotFound, "系统参数不存在", auditKey(p));
            return 1;
        }
        Row params{
            db::asInt(secret) == 0
                ? p.PARAM_VALUE
                : context_.secrets.encrypt(
                      p.PARAM_VALUE, parameterPlace(p.PARAM_CODE, p.REGION_CODE, p.COUNTY_CODE))};
        for (auto& part : keyOf(p))
            params.push_back(std::move(part));
        context_.db.exec(std::string("UPDATE sys_param SET PARAM_VALUE = ?") + kWhereKey, params);
        context_.auditKeys.push_back(auditKey(p));
        return 0;
    }

    CallContext& context_;
};

} // namespace

HandlerEntry sysParamQuery()
{
    return HandlerEntry::query(sysParam, 0, kReadsSecretParameters);
}

HandlerEntry sysParamWrite()
{
    return HandlerEntry::write(
        [](CallContext& context) { return std::make_unique<ParamWriter>(context); },
        kReadsSecretParameters);
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
