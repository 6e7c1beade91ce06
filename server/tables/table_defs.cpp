#include "table_def.h"

#include <stdexcept>

namespace rsim::tables {
namespace {

using namespace MResRemoteMgntDef;
using rsimcatalog::TableOf;

// A criterion that filters the column of its own name by equality.
Criterion equal(const char* member)
{
    return {.member = member, .column = member};
}

// A member whose value names a row of the table of records R.
template <class R>
MemberRule reference(const char* member, Format format = Format::Any)
{
    return {.member = member, .format = format, .references = TableOf<R>().name};
}

std::vector<TableDef> makeTableDefs()
{
    std::vector<TableDef> defs;
    defs.push_back({
        .table = TableOf<SResRemoteProvCode>(),
        .rules = {{.member = "PROVINCE_CODE", .format = Format::Code}},
        .contains = {"PROVINCE_NAME"},
    });
    defs.push_back({
        .table = TableOf<SResRemoteCardType>(),
        .rules = {{.member = "CARD_TYPE", .format = Format::Code}},
        .contains = {"CARD_NAME"},
    });
    defs.push_back({
        .table = TableOf<SResRemoteVendorCode>(),
        .rules = {{.member = "VENDOR_CODE", .format = Format::Code}},
        .contains = {"VENDOR_NAME"},
    });
    defs.push_back({
        .table = TableOf<SResRemoteMsisdnGroup>(),
        .rules = {{.member = "MSISDN_GROUP", .format = Format::Code},
                  reference<SResRemoteProvCode>("PROVINCE_CODE")},
        .contains = {"MSISDN_NAME"},
    });
    defs.push_back({
        .table = TableOf<SResRemoteImsiMsisdnGrp>(),
        .rules = {{.member = "FIRST_IMSI", .format = Format::Imsi},
                  {.member = "LAST_IMSI", .format = Format::Imsi},
                  reference<SResRemoteMsisdnGroup>("MSISDN_GROUP", Format::Code),
                  reference<SResRemoteProvCode>("PROVINCE_CODE")},
        .rangeFirst = "FIRST_IMSI",
        .rangeLast = "LAST_IMSI",
    });
    defs.push_back({
        .table = TableOf<SResRemoteMsisdnGrp>(),
        .rules = {{.member = "FIRST_MSISDN", .format = Format::Msisdn},
                  {.member = "LAST_MSISDN", .format = Format::Msisdn},
                  reference<SResRemoteMsisdnGroup>("MSISDN_GROUP", Format::Code),
                  reference<SResRemoteProvCode>("PROVINCE_CODE")},
        .rangeFirst = "FIRST_MSISDN",
        .rangeLast = "LAST_MSISDN",
    });
    defs.push_back({
        .table = TableOf<SRemoteSimInfo>(),
        .uniques = {"SIM_ID"},
        .rules = {{.member = "IMSI", .format = Format::Imsi},
                  {.member = "SIM_ID", .format = Format::Iccid},
                  {.member = "KI_CODE", .format = Format::Ki, .secret = true},
                  {.member = "KI_KEY", .secret = true},
                  {.member = "PIN1", .format = Format::Pin},
                  {.member = "PIN2", .format = Format::Pin},
                  {.member = "PUK1", .format = Format::Puk},
                  {.member = "PUK2", .format = Format::Puk},
                  {.member = "SMSP", .format = Format::Smsp},
                  reference<SResRemoteCardType>("RES_CODE"),
                  reference<SResRemoteVendorCode>("VENDOR_CODE")},
        .criteria =
            {{.member = "START_IMSI", .column = "IMSI", .filter = Filter::AtLeast},
             {.member = "END_IMSI", .column = "IMSI", .filter = Filter::AtMost},
             {.member = "START_SIM_ID", .column = "SIM_ID", .filter = Filter::NumberAtLeast},
             {.member = "END_SIM_ID", .column = "SIM_ID", .filter = Filter::NumberAtMost},
             equal("RES_CODE"),
             {.member = "REGION_CODE", .column = "REGION_CODE", .filter = Filter::EqualUnlessAll},
             {.member = "COUNTY_CODE", .column = "COUNTY_CODE", .filter = Filter::EqualUnlessAll},
             {.member = "ORG_ID", .column = "ORG_ID", .filter = Filter::EqualUnlessAll},
             {.member = "STS", .column = "STS", .filter = Filter::EqualUnlessAll},
             {.member = "RES_STS", .column = "RES_STS", .filter = Filter::EqualUnlessAll},
             {.member = "MAX_NUM", .column = "", .filter = Filter::Limit}},
        .defaultLimit = 1000,
    });
    defs.push_back({
        .table = TableOf<SResRemoteCardVendorDll>(),
        .rules = {reference<SResRemoteProvCode>("PROVINCE_CODE", Format::Code),
                  reference<SResRemoteVendorCode>("VENDOR_CODE", Format::Code),
                  reference<SResRemoteCardType>("CARD_TYPE", Format::Code),
                  {.member = "DLL_NAME", .format = Format::Code},
                  {.member = "REG_CODE", .secret = true}},
        .contains = {"DLL_NAME"},
    });
    defs.push_back({
        .table = TableOf<SResRemoteDllErrMsg>(),
        .rules = {reference<SResRemoteVendorCode>("VENDOR_CODE", Format::Code),
                  reference<SResRemoteCardType>("CARD_TYPE", Format::Code),
                  {.member = "ERR_CODE", .format = Format::Code}},
        .contains = {"ERR_MESSAGE"},
    });
    defs.push_back({
        .table = TableOf<SResRemoteAucInfo>(),
        .rules = {reference<SResRemoteProvCode>("PROVINCE_CODE", Format::Code),
                  reference<SResRemoteVendorCode>("VENDOR_CODE", Format::Code),
                  reference<SResRemoteCardType>("CARD_TYPE", Format::Code),
                  {.member = "SIM_SEQUENCE", .format = Format::Code},
                  {.member = "PWD", .secret = true}},
    });
    defs.push_back({
        .table = TableOf<SResRemoteSysAuc>(),
        .rules = {{.member = "ENT_CODE", .format = Format::Code},
                  {.member = "SIM_SEQUENCE", .format = Format::Code}},
        .contains = {"ENT_NAME"},
    });
    defs.push_back({
        .table = TableOf<SPsNetNumber>(),
        .contains = {"REMARK"},
        .criteria = {equal("NUMBER_SEGMENT"), equal("PS_SERVICE_TYPE"), equal("PS_NET_CODE"),
                     equal("GROUP_CODE"), equal("REGION_CODE"), equal("STATUS"), equal("OPER_ID"),
                     equal("ORG_ID"), equal("DONE_CODE"), equal("SMP_REGION_CODE"),
                     equal("BAK_PS_NET_CODE")},
        .defaultLimit = 1000,
    });
    defs.push_back({
        .table = TableOf<SPsNetImsi>(),
        .criteria = {{.member = "START_IMSI", .column = "START_IMSI", .filter = Filter::AtLeast},
                     {.member = "END_IMSI", .column = "END_IMSI", .filter = Filter::AtMost},
                     equal("PS_NET_CODE"),
                     equal("GROUP_CODE"),
                     equal("REGION_CODE"),
                     equal("BAK_PS_NET_CODE")},
        .defaultLimit = 1000,
    });
    defs.push_back({
        .table = TableOf<SRemoteSimLog>(),
        .criteria = {equal("SO_NBR"),
                     equal("SIM_ID"),
                     equal("IMSI"),
                     equal("OP_ID"),
                     equal("OP_TYPE"),
                     {.member = "BEGIN_OP_TIME", .column = "OP_TIME", .filter = Filter::AtLeast},
                     {.member = "END_OP_TIME", .column = "OP_TIME", .filter = Filter::AtMost},
                     equal("CARD_FLAG"),
                     equal("OP_RESULT"),
                     equal("PHONE1"),
                     equal("PHONE2"),
                     equal("REGION_CODE")},
        .defaultLimit = 1000,
        .order = "OP_TIME DESC",
    });
    defs.push_back({
        .table = TableOf<MResSysMgnt::SResCodeDefInfo>(),
        .criteria = {equal("RES_CODE"),
                     {.member = "RES_NAME", .column = "RES_NAME", .filter = Filter::Contains},
                     equal("RES_TYPE"),
                     equal("USER_TYPE"),
                     equal("IS_DETAIL"),
                     equal("OPERATION_ID"),
                     equal("RES_ADSCRIPTION")},
        .defaultLimit = 1000,
    });
    return defs;
}

} // namespace

const std::vector<TableDef>& TableDefs()
{
    static const std::vector<TableDef> defs = makeTableDefs();
    return defs;
}

const TableDef& TableDefOf(std::string_view table)
{
    for (const auto& def : TableDefs())
        if (def.table.name == table)
            return def;
    throw std::logic_error("no table " + std::string(table));
}

std::vector<std::string> TableDef::keyNames() const
{
    const STvdMemberTypeInfo* members = record().memberTable();
    std::vector<std::string> names;
    for (int member : table.key())
        names.emplace_back(members[member].name);
    return names;
}

} // namespace rsim::tables
