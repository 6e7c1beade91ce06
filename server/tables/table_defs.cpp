#include "table_def.h"

#include <stdexcept>

namespace rsim::tables {
namespace {

using namespace MResRemoteMgntDef;
using rsimcatalog::TableOf;

// The name of a member of records R.
template <class R>
std::string nameOf(typename R::Member member)
{
    return R::typeInfo().memberTable()[member].name;
}

template <class R>
MemberRule rule(typename R::Member member, Format format, bool secret = false)
{
    return {.member = nameOf<R>(member), .format = format, .secret = secret};
}

// A member of R whose value names a row of the table of records T.
template <class R, class T>
MemberRule reference(typename R::Member member, Format format = Format::Any)
{
    return {.member = nameOf<R>(member), .format = format, .references = TableOf<T>().name};
}

// A member of the criteria record In that filters a column of the table of records R.
template <class In, class R>
Criterion criterion(typename In::Member member, typename R::Member column, Filter filter)
{
    return {.member = nameOf<In>(member), .column = nameOf<R>(column), .filter = filter};
}

// A member of the criteria record In that filters the column of its own name by equality.
template <class In>
Criterion equal(typename In::Member member)
{
    return {.member = nameOf<In>(member), .column = nameOf<In>(member)};
}

// The table of records R as the service stores it; every table of the catalog has one below.
template <class R>
TableDef defOf();

// A table of codes and their names: a code has no blanks, names are searched by substring.
template <class R>
TableDef codeTableDef(typename R::Member code, typename R::Member name)
{
    return {.table = TableOf<R>(),
            .rules = {rule<R>(code, Format::Code)},
            .contains = {nameOf<R>(name)}};
}

template <>
TableDef defOf<SResRemoteProvCode>()
{
    using R = SResRemoteProvCode;
    return codeTableDef<R>(R::idx_PROVINCE_CODE, R::idx_PROVINCE_NAME);
}

template <>
TableDef defOf<SResRemoteCardType>()
{
    using R = SResRemoteCardType;
    return codeTableDef<R>(R::idx_CARD_TYPE, R::idx_CARD_NAME);
}

template <>
TableDef defOf<SResRemoteVendorCode>()
{
    using R = SResRemoteVendorCode;
    return codeTableDef<R>(R::idx_VENDOR_CODE, R::idx_VENDOR_NAME);
}

template <>
TableDef defOf<SResRemoteMsisdnGroup>()
{
    using R = SResRemoteMsisdnGroup;
    return {.table = TableOf<R>(),
            .rules = {rule<R>(R::idx_MSISDN_GROUP, Format::Code),
                      reference<R, SResRemoteProvCode>(R::idx_PROVINCE_CODE)},
            .contains = {nameOf<R>(R::idx_MSISDN_NAME)}};
}

// The IMSI and MSISDN ranges of the groups: ordered ranges that do not overlap.
template <class R>
TableDef rangeDef(typename R::Member first, typename R::Member last, Format format)
{
    return {.table = TableOf<R>(),
            .rules = {rule<R>(first, format), rule<R>(last, format),
                      reference<R, SResRemoteMsisdnGroup>(R::idx_MSISDN_GROUP, Format::Code),
                      reference<R, SResRemoteProvCode>(R::idx_PROVINCE_CODE)},
            .rangeFirst = nameOf<R>(first),
            .rangeLast = nameOf<R>(last)};
}

template <>
TableDef defOf<SResRemoteImsiMsisdnGrp>()
{
    using R = SResRemoteImsiMsisdnGrp;
    return rangeDef<R>(R::idx_FIRST_IMSI, R::idx_LAST_IMSI, Format::Imsi);
}

template <>
TableDef defOf<SResRemoteMsisdnGrp>()
{
    using R = SResRemoteMsisdnGrp;
    return rangeDef<R>(R::idx_FIRST_MSISDN, R::idx_LAST_MSISDN, Format::Msisdn);
}

template <>
TableDef defOf<SRemoteSimInfo>()
{
    using R = SRemoteSimInfo;
    using In = SRemoteSimQryIn;
    return {
        .table = TableOf<R>(),
        .uniques = {nameOf<R>(R::idx_SIM_ID)},
        .rules = {rule<R>(R::idx_IMSI, Format::Imsi), rule<R>(R::idx_SIM_ID, Format::Iccid),
                  rule<R>(R::idx_KI_CODE, Format::Ki, true),
                  rule<R>(R::idx_KI_KEY, Format::Any, true), rule<R>(R::idx_PIN1, Format::Pin),
                  rule<R>(R::idx_PIN2, Format::Pin), rule<R>(R::idx_PUK1, Format::Puk),
                  rule<R>(R::idx_PUK2, Format::Puk), rule<R>(R::idx_SMSP, Format::Smsp),
                  reference<R, SResRemoteCardType>(R::idx_RES_CODE),
                  reference<R, SResRemoteVendorCode>(R::idx_VENDOR_CODE)},
        .criteria =
            {criterion<In, R>(In::idx_START_IMSI, R::idx_IMSI, Filter::AtLeast),
             criterion<In, R>(In::idx_END_IMSI, R::idx_IMSI, Filter::AtMost),
             criterion<In, R>(In::idx_START_SIM_ID, R::idx_SIM_ID, Filter::NumberAtLeast),
             criterion<In, R>(In::idx_END_SIM_ID, R::idx_SIM_ID, Filter::NumberAtMost),
             equal<In>(In::idx_RES_CODE),
             criterion<In, R>(In::idx_REGION_CODE, R::idx_REGION_CODE, Filter::EqualUnlessAll),
             criterion<In, R>(In::idx_COUNTY_CODE, R::idx_COUNTY_CODE, Filter::EqualUnlessAll),
             criterion<In, R>(In::idx_ORG_ID, R::idx_ORG_ID, Filter::EqualUnlessAll),
             criterion<In, R>(In::idx_STS, R::idx_STS, Filter::EqualUnlessAll),
             criterion<In, R>(In::idx_RES_STS, R::idx_RES_STS, Filter::EqualUnlessAll),
             {.member = nameOf<In>(In::idx_MAX_NUM), .column = "", .filter = Filter::Limit}},
        .defaultLimit = 1000,
    };
}

template <>
TableDef defOf<SResRemoteCardVendorDll>()
{
    using R = SResRemoteCardVendorDll;
    return {.table = TableOf<R>(),
            .rules = {reference<R, SResRemoteProvCode>(R::idx_PROVINCE_CODE, Format::Code),
                      reference<R, SResRemoteVendorCode>(R::idx_VENDOR_CODE, Format::Code),
                      reference<R, SResRemoteCardType>(R::idx_CARD_TYPE, Format::Code),
                      rule<R>(R::idx_DLL_NAME, Format::Code),
                      rule<R>(R::idx_REG_CODE, Format::Any, true)},
            .contains = {nameOf<R>(R::idx_DLL_NAME)}};
}

template <>
TableDef defOf<SResRemoteDllErrMsg>()
{
    using R = SResRemoteDllErrMsg;
    return {.table = TableOf<R>(),
            .rules = {reference<R, SResRemoteVendorCode>(R::idx_VENDOR_CODE, Format::Code),
                      reference<R, SResRemoteCardType>(R::idx_CARD_TYPE, Format::Code),
                      rule<R>(R::idx_ERR_CODE, Format::Code)},
            .contains = {nameOf<R>(R::idx_ERR_MESSAGE)}};
}

template <>
TableDef defOf<SResRemoteAucInfo>()
{
    using R = SResRemoteAucInfo;
    return {.table = TableOf<R>(),
            .rules = {reference<R, SResRemoteProvCode>(R::idx_PROVINCE_CODE, Format::Code),
                      reference<R, SResRemoteVendorCode>(R::idx_VENDOR_CODE, Format::Code),
                      reference<R, SResRemoteCardType>(R::idx_CARD_TYPE, Format::Code),
                      rule<R>(R::idx_SIM_SEQUENCE, Format::Code),
                      rule<R>(R::idx_PWD, Format::Any, true)}};
}

template <>
TableDef defOf<SResRemoteSysAuc>()
{
    using R = SResRemoteSysAuc;
    return {.table = TableOf<R>(),
            .rules = {rule<R>(R::idx_ENT_CODE, Format::Code),
                      rule<R>(R::idx_SIM_SEQUENCE, Format::Code)},
            .contains = {nameOf<R>(R::idx_ENT_NAME)}};
}

template <>
TableDef defOf<SPsNetNumber>()
{
    using R = SPsNetNumber;
    using In = SQryPsNetNumberIn;
    return {.table = TableOf<R>(),
            .contains = {nameOf<R>(R::idx_REMARK)},
            .criteria = {equal<In>(In::idx_NUMBER_SEGMENT), equal<In>(In::idx_PS_SERVICE_TYPE),
                         equal<In>(In::idx_PS_NET_CODE), equal<In>(In::idx_GROUP_CODE),
                         equal<In>(In::idx_REGION_CODE), equal<In>(In::idx_STATUS),
                         equal<In>(In::idx_OPER_ID), equal<In>(In::idx_ORG_ID),
                         equal<In>(In::idx_DONE_CODE), equal<In>(In::idx_SMP_REGION_CODE),
                         equal<In>(In::idx_BAK_PS_NET_CODE)},
            .defaultLimit = 1000};
}

template <>
TableDef defOf<SPsNetImsi>()
{
    using R = SPsNetImsi;
    using In = SQryPsNetImsiIn;
    return {.table = TableOf<R>(),
            .criteria = {criterion<In, R>(In::idx_START_IMSI, R::idx_START_IMSI, Filter::AtLeast),
                         criterion<In, R>(In::idx_END_IMSI, R::idx_END_IMSI, Filter::AtMost),
                         equal<In>(In::idx_PS_NET_CODE), equal<In>(In::idx_GROUP_CODE),
                         equal<In>(In::idx_REGION_CODE), equal<In>(In::idx_BAK_PS_NET_CODE)},
            .defaultLimit = 1000};
}

template <>
TableDef defOf<SRemoteSimLog>()
{
    using R = SRemoteSimLog;
    using In = SQryRemoteSimLogIn;
    return {.table = TableOf<R>(),
            .criteria = {equal<In>(In::idx_SO_NBR), equal<In>(In::idx_SIM_ID),
                         equal<In>(In::idx_IMSI), equal<In>(In::idx_OP_ID),
                         equal<In>(In::idx_OP_TYPE),
                         criterion<In, R>(In::idx_BEGIN_OP_TIME, R::idx_OP_TIME, Filter::AtLeast),
                         criterion<In, R>(In::idx_END_OP_TIME, R::idx_OP_TIME, Filter::AtMost),
                         equal<In>(In::idx_CARD_FLAG), equal<In>(In::idx_OP_RESULT),
                         equal<In>(In::idx_PHONE1), equal<In>(In::idx_PHONE2),
                         equal<In>(In::idx_REGION_CODE)},
            .defaultLimit = 1000,
            .order = nameOf<R>(R::idx_OP_TIME) + " DESC"};
}

template <>
TableDef defOf<MResSysMgnt::SResCodeDefInfo>()
{
    using R = MResSysMgnt::SResCodeDefInfo;
    using In = MResSysMgnt::SQueryResCodeIn;
    return {.table = TableOf<R>(),
            .criteria = {equal<In>(In::idx_RES_CODE),
                         criterion<In, R>(In::idx_RES_NAME, R::idx_RES_NAME, Filter::Contains),
                         equal<In>(In::idx_RES_TYPE), equal<In>(In::idx_USER_TYPE),
                         equal<In>(In::idx_IS_DETAIL), equal<In>(In::idx_OPERATION_ID),
                         equal<In>(In::idx_RES_ADSCRIPTION)},
            .defaultLimit = 1000};
}

// In the catalog's order: the maintained tables, the inquiries' and the resource codes.
std::vector<TableDef> makeTableDefs()
{
#define RSIM_DEF_(Rec, ...) defOf<Rec>(),
#define RSIM_INQUIRY_DEF_(op, code, CritT, critName, Rec, listName) defOf<Rec>(),
    return {RSIM_FAMILIES(RSIM_DEF_) RSIM_INQUIRIES(RSIM_INQUIRY_DEF_)
                defOf<MResSysMgnt::SResCodeDefInfo>()};
#undef RSIM_INQUIRY_DEF_
#undef RSIM_DEF_
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
