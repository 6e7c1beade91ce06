#include "table_def.h"

#include "ResRemoteSimMgnt_def_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"

#include <stdexcept>

namespace rsim::tables {
namespace {

template <class R>
const CTvdTypeInfo* typeOf()
{
    return &R::typeInfo();
}

using namespace MResRemoteMgntDef;

std::vector<TableDef> makeTableDefs()
{
    std::vector<TableDef> defs;
    defs.push_back({"rsim_province", typeOf<SResRemoteProvCode>, {"PROVINCE_CODE"}, {},
                     {{"PROVINCE_CODE", Format::Code}}, {"PROVINCE_NAME"}, {}, "", "", 0,
                     {53701, 53702, 53703}});
    defs.push_back({"rsim_card_type", typeOf<SResRemoteCardType>, {"CARD_TYPE"}, {},
                     {{"CARD_TYPE", Format::Code}}, {"CARD_NAME"}, {}, "", "", 0,
                     {53704, 53705, 53706}});
    defs.push_back({"rsim_vendor", typeOf<SResRemoteVendorCode>, {"VENDOR_CODE"}, {},
                     {{"VENDOR_CODE", Format::Code}}, {"VENDOR_NAME"}, {}, "", "", 0,
                     {53707, 53708, 53709}});
    defs.push_back({"rsim_msisdn_group", typeOf<SResRemoteMsisdnGroup>, {"MSISDN_GROUP"}, {},
                     {{"MSISDN_GROUP", Format::Code}, {"PROVINCE_CODE", Format::Any, "rsim_province"}},
                     {"MSISDN_NAME"}, {}, "", "", 0, {53719, 53720, 53721}});
    defs.push_back({"rsim_imsi_range", typeOf<SResRemoteImsiMsisdnGrp>, {"FIRST_IMSI"}, {},
                     {{"FIRST_IMSI", Format::Imsi}, {"LAST_IMSI", Format::Imsi},
                      {"MSISDN_GROUP", Format::Code, "rsim_msisdn_group"},
                      {"PROVINCE_CODE", Format::Any, "rsim_province"}},
                     {}, {}, "FIRST_IMSI", "LAST_IMSI", 0, {53713, 53714, 53715}});
    defs.push_back({"rsim_msisdn_range", typeOf<SResRemoteMsisdnGrp>, {"FIRST_MSISDN"}, {},
                     {{"FIRST_MSISDN", Format::Msisdn}, {"LAST_MSISDN", Format::Msisdn},
                      {"MSISDN_GROUP", Format::Code, "rsim_msisdn_group"},
                      {"PROVINCE_CODE", Format::Any, "rsim_province"}},
                     {}, {}, "FIRST_MSISDN", "LAST_MSISDN", 0, {53716, 53717, 53718}});
    defs.push_back({"rsim_sim", typeOf<SRemoteSimInfo>, {"IMSI"}, {"SIM_ID"},
                     {{"IMSI", Format::Imsi}, {"SIM_ID", Format::Iccid}, {"KI_CODE", Format::Ki, "", true},
                      {"KI_KEY", Format::Any, "", true}, {"PIN1", Format::Pin}, {"PIN2", Format::Pin},
                      {"PUK1", Format::Puk}, {"PUK2", Format::Puk}, {"SMSP", Format::Smsp},
                      {"RES_CODE", Format::Any, "rsim_card_type"}, {"VENDOR_CODE", Format::Any, "rsim_vendor"}},
                     {},
                     {{"START_IMSI", "IMSI", Filter::AtLeast}, {"END_IMSI", "IMSI", Filter::AtMost},
                      {"START_SIM_ID", "SIM_ID", Filter::AtLeast}, {"END_SIM_ID", "SIM_ID", Filter::AtMost},
                      {"RES_CODE", "RES_CODE", Filter::Equal},
                      {"REGION_CODE", "REGION_CODE", Filter::EqualUnlessAll},
                      {"COUNTY_CODE", "COUNTY_CODE", Filter::EqualUnlessAll},
                      {"ORG_ID", "ORG_ID", Filter::EqualUnlessAll}, {"STS", "STS", Filter::EqualUnlessAll},
                      {"RES_STS", "RES_STS", Filter::EqualUnlessAll}, {"MAX_NUM", "", Filter::Limit}},
                     "", "", 1000, {53719, 53720, 53721}});
    defs.push_back({"rsim_vendor_dll", typeOf<SResRemoteCardVendorDll>,
                     {"PROVINCE_CODE", "VENDOR_CODE", "CARD_TYPE", "DLL_NAME"}, {},
                     {{"PROVINCE_CODE", Format::Code, "rsim_province"}, {"VENDOR_CODE", Format::Code, "rsim_vendor"},
                      {"CARD_TYPE", Format::Code, "rsim_card_type"}, {"DLL_NAME", Format::Code},
                      {"REG_CODE", Format::Any, "", true}},
                     {"DLL_NAME"}, {}, "", "", 0, {53722, 53723, 53724}});
    defs.push_back({"rsim_dll_error", typeOf<SResRemoteDllErrMsg>,
                     {"VENDOR_CODE", "CARD_TYPE", "DLL_NAME", "ERR_CODE"}, {},
                     {{"VENDOR_CODE", Format::Code, "rsim_vendor"}, {"CARD_TYPE", Format::Code, "rsim_card_type"},
                      {"ERR_CODE", Format::Code}},
                     {"ERR_MESSAGE"}, {}, "", "", 0, {53722, 53723, 53724}});
    defs.push_back({"rsim_auc_info", typeOf<SResRemoteAucInfo>,
                     {"PROVINCE_CODE", "VENDOR_CODE", "CARD_TYPE", "SIM_SEQUENCE"}, {},
                     {{"PROVINCE_CODE", Format::Code, "rsim_province"}, {"VENDOR_CODE", Format::Code, "rsim_vendor"},
                      {"CARD_TYPE", Format::Code, "rsim_card_type"}, {"SIM_SEQUENCE", Format::Code},
                      {"PWD", Format::Any, "", true}},
                     {}, {}, "", "", 0, {53731, 53732, 53733}});
    defs.push_back({"rsim_auc_right", typeOf<SResRemoteSysAuc>, {"ENT_TYPE", "ENT_CODE", "SIM_SEQUENCE"}, {},
                     {{"ENT_CODE", Format::Code}, {"SIM_SEQUENCE", Format::Code}},
                     {"ENT_NAME"}, {}, "", "", 0, {53734, 53735, 53736}});
    defs.push_back({"rsim_ps_number", typeOf<SPsNetNumber>, {"NUMBER_SEGMENT"}, {}, {}, {"REMARK"},
                     {{"NUMBER_SEGMENT", "NUMBER_SEGMENT"}, {"PS_SERVICE_TYPE", "PS_SERVICE_TYPE"},
                      {"PS_NET_CODE", "PS_NET_CODE"}, {"GROUP_CODE", "GROUP_CODE"},
                      {"REGION_CODE", "REGION_CODE"}, {"STATUS", "STATUS"}, {"OPER_ID", "OPER_ID"},
                      {"ORG_ID", "ORG_ID"}, {"DONE_CODE", "DONE_CODE"},
                      {"SMP_REGION_CODE", "SMP_REGION_CODE"}, {"BAK_PS_NET_CODE", "BAK_PS_NET_CODE"}},
                     "", "", 1000});
    defs.push_back({"rsim_ps_imsi", typeOf<SPsNetImsi>, {"START_IMSI"}, {}, {}, {},
                     {{"START_IMSI", "START_IMSI", Filter::AtLeast}, {"END_IMSI", "END_IMSI", Filter::AtMost},
                      {"PS_NET_CODE", "PS_NET_CODE"}, {"GROUP_CODE", "GROUP_CODE"},
                      {"REGION_CODE", "REGION_CODE"}, {"BAK_PS_NET_CODE", "BAK_PS_NET_CODE"}},
                     "", "", 1000});
    defs.push_back({"rsim_write_log", typeOf<SRemoteSimLog>, {"SO_NBR"}, {}, {}, {},
                     {{"SO_NBR", "SO_NBR"}, {"SIM_ID", "SIM_ID"}, {"IMSI", "IMSI"}, {"OP_ID", "OP_ID"},
                      {"OP_TYPE", "OP_TYPE"}, {"BEGIN_OP_TIME", "OP_TIME", Filter::AtLeast},
                      {"END_OP_TIME", "OP_TIME", Filter::AtMost}, {"CARD_FLAG", "CARD_FLAG"},
                      {"OP_RESULT", "OP_RESULT"}, {"PHONE1", "PHONE1"}, {"PHONE2", "PHONE2"},
                      {"REGION_CODE", "REGION_CODE"}},
                     "", "", 1000, {}, "OP_TIME DESC"});
    defs.push_back({"rsim_res_code", typeOf<MResSysMgnt::SResCodeDefInfo>, {"RES_CODE"}, {}, {}, {},
                     {{"RES_CODE", "RES_CODE"}, {"RES_NAME", "RES_NAME", Filter::Contains},
                      {"RES_TYPE", "RES_TYPE"}, {"USER_TYPE", "USER_TYPE"}, {"IS_DETAIL", "IS_DETAIL"},
                      {"OPERATION_ID", "OPERATION_ID"}, {"RES_ADSCRIPTION", "RES_ADSCRIPTION"}},
                     "", "", 1000});
    return defs;
}

} // namespace

const std::vector<TableDef>& TableDefs()
{
    static const std::vector<TableDef> defs = makeTableDefs();
    return defs;
}

const TableDef& TableDefOf(const std::string& table)
{
    for (const auto& def : TableDefs())
        if (def.table == table)
            return def;
    throw std::logic_error("no table " + table);
}

} // namespace rsim::tables
