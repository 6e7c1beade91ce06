// The remote-SIM tables. Keys are the members an operator names a record by; names match by
// substring, codes exactly, number ranges as ranges. Beyond its keys a record must carry only
// what its table cannot do without (a card's ICCID, a range's ends); the windows ask for the rest.
#include "table_def.h"

#include "ResRemoteSimMgnt_def_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"

namespace rsim::tables {
namespace {

using namespace MResRemoteMgntDef;
using F = Format;
using M = Match;

template <class R>
const CTvdTypeInfo* typeOf()
{
    return &R::typeInfo();
}

constexpr std::int64_t kInquiryCap = 10000;

// Groups and the ranges of a group are named by group code, region and province.
const std::vector<std::string> kGroupKey{"MSISDN_GROUP", "REGION_CODE", "PROVINCE_CODE"};

std::vector<TableDef> referenceTables()
{
    return {
        {.table = "rsim_province", .label = "省份", .recordType = typeOf<SResRemoteProvCode>,
         .keys = {"PROVINCE_CODE"},
         .rules = {{"PROVINCE_CODE", F::Code}},
         .criteria = {{"PROVINCE_NAME", M::Contains}},
         .rights = {53701, 53702, 53703}},
        {.table = "rsim_card_type", .label = "卡类型", .recordType = typeOf<SResRemoteCardType>,
         .keys = {"CARD_TYPE"},
         .rules = {{"CARD_TYPE", F::Code}},
         .stamps = {{"STS_DATE", Stamp::NowOnWrite}},
         .criteria = {{"CARD_NAME", M::Contains}},
         .rights = {53704, 53705, 53706}},
        {.table = "rsim_vendor", .label = "卡商", .recordType = typeOf<SResRemoteVendorCode>,
         .keys = {"VENDOR_CODE"},
         .rules = {{"VENDOR_CODE", F::Code}},
         .criteria = {{"VENDOR_NAME", M::Contains}},
         .rights = {53707, 53708, 53709}},
        {.table = "rsim_msisdn_group", .label = "号群", .recordType = typeOf<SResRemoteMsisdnGroup>,
         .keys = kGroupKey,
         .rules = {{"MSISDN_GROUP", F::Code}},
         .references = {{"rsim_province", {"PROVINCE_CODE"}}},
         .criteria = {{"MSISDN_NAME", M::Contains}},
         .rights = {53719, 53720, 53721}},
        {.table = "rsim_imsi_range", .label = "号群IMSI号段", .recordType = typeOf<SResRemoteImsiMsisdnGrp>,
         .keys = kGroupKey,
         .rules = {{"FIRST_IMSI", F::Imsi, true}, {"LAST_IMSI", F::Imsi, true}},
         .references = {{"rsim_msisdn_group", kGroupKey}},
         .criteria = {{"FIRST_IMSI", M::From, "LAST_IMSI"}, {"LAST_IMSI", M::To, "FIRST_IMSI"}},
         .rangeFirst = "FIRST_IMSI", .rangeLast = "LAST_IMSI",
         .rights = {53713, 53714, 53715}},
        {.table = "rsim_msisdn_range", .label = "号群MSISDN号段", .recordType = typeOf<SResRemoteMsisdnGrp>,
         .keys = kGroupKey,
         .rules = {{"FIRST_MSISDN", F::Msisdn, true}, {"LAST_MSISDN", F::Msisdn, true}},
         .references = {{"rsim_msisdn_group", kGroupKey}},
         .criteria = {{"FIRST_MSISDN", M::From, "LAST_MSISDN"}, {"LAST_MSISDN", M::To, "FIRST_MSISDN"}},
         .rangeFirst = "FIRST_MSISDN", .rangeLast = "LAST_MSISDN",
         .rights = {53716, 53717, 53718}},
    };
}

TableDef simTable()
{
    return {.table = "rsim_sim", .label = "SIM卡", .recordType = typeOf<SRemoteSimInfo>,
            .keys = {"IMSI"}, .uniques = {"SIM_ID"},
            .rules = {{"IMSI", F::Imsi}, {"SIM_ID", F::Iccid, true}, {"KI_CODE", F::Ki, false, true},
                      {"KI_KEY", F::KiKey, false, true}, {"PIN1", F::Pin}, {"PIN2", F::Pin},
                      {"PUK1", F::Puk}, {"PUK2", F::Puk}, {"SMSP", F::Smsp}},
            .references = {{"rsim_card_type", {"RES_CODE"}}, {"rsim_vendor", {"VENDOR_CODE"}}},
            .stamps = {{"CREATE_DATE", Stamp::NowOnAdd}},
            .criteria = {{"START_IMSI", M::From, "IMSI"}, {"END_IMSI", M::To, "IMSI"},
                         {"START_SIM_ID", M::From, "SIM_ID"}, {"END_SIM_ID", M::To, "SIM_ID"},
                         {"RES_CODE", M::Exact}, {"REGION_CODE", M::ExactUnlessAll},
                         {"COUNTY_CODE", M::ExactUnlessAll}, {"ORG_ID", M::ExactUnlessAll},
                         {"STS", M::ExactUnlessAll}, {"RES_STS", M::ExactUnlessAll}, {"MAX_NUM", M::Limit}},
            .rowCap = 1000,
            .rights = {53719, 53720, 53721}};
}

std::vector<TableDef> vendorLibraryTables()
{
    const Reference province{"rsim_province", {"PROVINCE_CODE"}};
    const Reference vendor{"rsim_vendor", {"VENDOR_CODE"}};
    const Reference cardType{"rsim_card_type", {"CARD_TYPE"}};
    return {
        {.table = "rsim_vendor_dll", .label = "写卡组件", .recordType = typeOf<SResRemoteCardVendorDll>,
         .keys = {"PROVINCE_CODE", "VENDOR_CODE", "CARD_TYPE", "DLL_NAME"},
         .rules = {{"DLL_NAME", F::Code}},
         .references = {province, vendor, cardType},
         .stamps = {{"CREATE_DATE", Stamp::NowOnAdd}},
         .rights = {53722, 53723, 53724}},
        {.table = "rsim_dll_error", .label = "写卡组件错误信息", .recordType = typeOf<SResRemoteDllErrMsg>,
         .keys = {"VENDOR_CODE", "CARD_TYPE", "DLL_NAME", "ERR_CODE"},
         .rules = {{"ERR_CODE", F::Code}},
         .references = {vendor, cardType},
         .criteria = {{"ERR_MESSAGE", M::Contains}},
         .rights = {53722, 53723, 53724}},
        {.table = "rsim_auc_info", .label = "鉴权卡校验信息", .recordType = typeOf<SResRemoteAucInfo>,
         .keys = {"PROVINCE_CODE", "VENDOR_CODE", "CARD_TYPE", "SIM_SEQUENCE"},
         .rules = {{"SIM_SEQUENCE", F::Code}, {"PWD", F::Any, false, true}},
         .references = {province, vendor, cardType},
         .stamps = {{"OP_ID", Stamp::OperatorOnWrite}, {"OPER_DATE", Stamp::NowOnWrite}},
         .rights = {53731, 53732, 53733}},
        {.table = "rsim_auc_right", .label = "鉴权卡权限", .recordType = typeOf<SResRemoteSysAuc>,
         .keys = {"ENT_TYPE", "ENT_CODE", "SIM_SEQUENCE"},
         .rules = {{"ENT_CODE", F::Code}, {"SIM_SEQUENCE", F::Code}},
         .criteria = {{"ENT_NAME", M::Contains}},
         .rights = {53734, 53735, 53736}},
    };
}

// Read-only tables: the service answers them; their rows come from other systems (and the demo).
std::vector<TableDef> inquiryTables()
{
    return {
        {.table = "rsim_ps_number", .label = "开通平台号段", .recordType = typeOf<SPsNetNumber>,
         .keys = {"NUMBER_SEGMENT"},
         .criteria = {{"NUMBER_SEGMENT"}, {"PS_SERVICE_TYPE"}, {"PS_NET_CODE"}, {"GROUP_CODE"},
                      {"REGION_CODE"}, {"STATUS"}, {"OPER_ID"}, {"ORG_ID"}, {"DONE_CODE"},
                      {"SMP_REGION_CODE"}, {"BAK_PS_NET_CODE"}},
         .rowCap = kInquiryCap},
        {.table = "rsim_ps_imsi", .label = "开通平台IMSI号段", .recordType = typeOf<SPsNetImsi>,
         .keys = {"START_IMSI"},
         .rules = {{"START_IMSI", F::Imsi}, {"END_IMSI", F::Imsi}},
         .criteria = {{"START_IMSI", M::From, "END_IMSI"}, {"END_IMSI", M::To, "START_IMSI"},
                      {"PS_NET_CODE"}, {"GROUP_CODE"}, {"REGION_CODE"}, {"BAK_PS_NET_CODE"}},
         .rowCap = kInquiryCap},
        {.table = "rsim_write_log", .label = "写卡日志", .recordType = typeOf<SRemoteSimLog>,
         .keys = {"SO_NBR"},
         .criteria = {{"SO_NBR"}, {"SIM_ID", M::Contains}, {"IMSI", M::Contains}, {"OP_ID"}, {"OP_TYPE"},
                      {"BEGIN_OP_TIME", M::From, "OP_TIME"}, {"END_OP_TIME", M::To, "OP_TIME"},
                      {"CARD_FLAG"}, {"OP_RESULT"}, {"PHONE1", M::Contains}, {"PHONE2", M::Contains},
                      {"REGION_CODE"}},
         .rowCap = kInquiryCap},
        {.table = "rsim_res_code", .label = "资源编码", .recordType = typeOf<MResSysMgnt::SResCodeDefInfo>,
         .keys = {"RES_CODE"},
         .criteria = {{"RES_CODE"}, {"RES_NAME", M::Contains}, {"RES_TYPE"}, {"USER_TYPE"}, {"IS_DETAIL"},
                      {"OPERATION_ID"}, {"RES_ADSCRIPTION"}, {"VALID_DATE", M::From, "EXPIRE_DATE"},
                      {"EXPIRE_DATE", M::To, "VALID_DATE"}},
         .rowCap = kInquiryCap},
    };
}

std::vector<TableDef> makeTableDefs()
{
    std::vector<TableDef> defs = referenceTables();
    defs.push_back(simTable());
    for (auto* group : {vendorLibraryTables, inquiryTables})
        for (auto& def : group())
            defs.push_back(std::move(def));
    return defs;
}

} // namespace

const std::vector<TableDef>& TableDefs()
{
    static const std::vector<TableDef> defs = makeTableDefs();
    return defs;
}

} // namespace rsim::tables
