// What each remote-SIM table is, as both ends of the wire need it: its record, its key, the
// rights its queries and writes need, the window that maintains it (function code and caption)
// and the code lists its members take their values from. The windows, the host's function menu,
// the rights every window asks for, the service's handlers and tables and the demo operators'
// grants all read these declarations; the service adds its storage rules in
// server/tables/table_defs.cpp.
#pragma once

#include "ResRemoteSimMgnt_operations.h"
#include "ResSysMgnt_operations.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace rsimcatalog {

// The privilege every right is asked and granted with.
inline constexpr int kPrivilege = 10;

// The account library's code lists, by category. A code list converts to its category number.
enum CodeList : int {
    Regions = 57,
    Counties = 58,
    BusinessHalls = 59,
    Purposes = 167,
    Operators = 285,
    CardStatuses = 835,
    TwoNumberCards = 836,
    KiEncryption = 837,
    AucStatuses = 883,
    EntityTypes = 884,
    SimStatuses = 891,
    ResourceStatuses = 892,
};

// Entity ids of the add, modify and delete rights (0: no right, the table is read-only) and of
// the right to query the table, that of the window that shows it (0: any operator). The read
// rights are the entities of the windows' rights request that no write uses.
struct RightIds {
    int add = 0;
    int modify = 0;
    int remove = 0;
    int read = 0;

    constexpr bool writes(int entity) const
    {
        return entity != 0 && (entity == add || entity == modify || entity == remove);
    }
};

// At most N items, given in a constant initializer: one too many does not compile.
template <class T, std::size_t N>
class FixedList {
public:
    constexpr FixedList(std::initializer_list<T> items)
    {
        for (const T& item : items)
            items_[count_++] = item;
    }
    constexpr std::span<const T> items() const { return {items_.data(), count_}; }

private:
    std::array<T, N> items_{};
    std::size_t count_ = 0;
};

// The key of a table of records R, as member indexes of R in key order: a member of another
// record does not compile.
template <class R>
class KeyMembers : public FixedList<typename R::Member, 4> {
public:
    using FixedList<typename R::Member, 4>::FixedList;
    constexpr std::span<const typename R::Member> members() const { return this->items(); }
};

// A member of R whose values are the codes of a code list.
template <class R>
struct CodedMember {
    typename R::Member member{};
    CodeList list{};
};

// One table of records R.
template <class R>
struct Table {
    std::string_view name; // as stored
    KeyMembers<R> key;
    RightIds rights{};          // none: no window writes it, any operator reads it
    int functionCode = 0;       // the window that maintains or shows it; 0: none
    std::string_view caption{}; // that window's title and menu entry
    FixedList<CodedMember<R>, 6> codeLists{};

    // The code list of a coded member; asking for another member does not compile when the
    // answer is needed as a constant.
    constexpr CodeList codeListOf(typename R::Member member) const
    {
        for (const auto& coded : codeLists.items())
            if (coded.member == member)
                return coded.list;
        throw std::logic_error("the member takes its values from no code list");
    }
};

// The declaration of the table of records R; every stored record type has one below.
template <class R>
inline constexpr Table<R> kTable{.name = {}, .key = {}};

template <class R>
constexpr const Table<R>& TableOf()
{
    static_assert(!kTable<R>.name.empty(), "no table is declared for this record type");
    return kTable<R>;
}

// A declaration without its record's static type, for code that walks every table.
struct TableInfo {
    template <class R>
    constexpr TableInfo(const Table<R>& table)
        : name(table.name), record(&R::typeInfo), rights(table.rights),
          functionCode(table.functionCode), caption(table.caption)
    {
        for (auto member : table.key.members())
            key_[keyCount_++] = member;
    }
    constexpr std::span<const int> key() const { return {key_.data(), keyCount_}; }

    std::string_view name;
    const CTvdTypeInfo& (*record)();
    RightIds rights;
    int functionCode;
    std::string_view caption;

private:
    std::array<int, 4> key_{};
    std::size_t keyCount_ = 0;
};

// The stored records, by their short names.
#define RSIM_USE_RECORD_(Rec, ...) using MResRemoteMgntDef::Rec;
#define RSIM_USE_INQUIRY_RECORD_(op, code, CritT, critName, Rec, listName) RSIM_USE_RECORD_(Rec)
RSIM_FAMILIES(RSIM_USE_RECORD_)
RSIM_INQUIRIES(RSIM_USE_INQUIRY_RECORD_)
#undef RSIM_USE_INQUIRY_RECORD_
#undef RSIM_USE_RECORD_

template <>
inline constexpr Table<SResRemoteProvCode> kTable<SResRemoteProvCode>{
    .name = "rsim_province",
    .key = {SResRemoteProvCode::idx_PROVINCE_CODE},
    .rights = {.add = 53701, .modify = 53702, .remove = 53703, .read = 55001},
    .functionCode = 10150173,
    .caption = "远程写卡省份代码维护",
};

template <>
inline constexpr Table<SResRemoteCardType> kTable<SResRemoteCardType>{
    .name = "rsim_card_type",
    .key = {SResRemoteCardType::idx_CARD_TYPE},
    .rights = {.add = 53704, .modify = 53705, .remove = 53706, .read = 55002},
    .functionCode = 10150174,
    .caption = "远程写卡卡类型维护",
    .codeLists = {{SResRemoteCardType::idx_STS, CardStatuses},
                  {SResRemoteCardType::idx_IS_DOUBLE, TwoNumberCards}},
};

template <>
inline constexpr Table<SResRemoteVendorCode> kTable<SResRemoteVendorCode>{
    .name = "rsim_vendor",
    .key = {SResRemoteVendorCode::idx_VENDOR_CODE},
    .rights = {.add = 53707, .modify = 53708, .remove = 53709, .read = 55003},
    .functionCode = 10150175,
    .caption = "远程写卡卡商维护",
    .codeLists = {{SResRemoteVendorCode::idx_IS_KI, KiEncryption}},
};

template <>
inline constexpr Table<SResRemoteMsisdnGroup> kTable<SResRemoteMsisdnGroup>{
    .name = "rsim_msisdn_group",
    .key = {SResRemoteMsisdnGroup::idx_MSISDN_GROUP},
    .rights = {.add = 53719, .modify = 53720, .remove = 53721, .read = 55004},
    .functionCode = 10150179,
    .caption = "远程写卡号群维护",
    .codeLists = {{SResRemoteMsisdnGroup::idx_REGION_CODE, Regions},
                  {SResRemoteMsisdnGroup::idx_COUNTY_CODE, Counties},
                  {SResRemoteMsisdnGroup::idx_ORG_ID, BusinessHalls}},
};

template <>
inline constexpr Table<SResRemoteImsiMsisdnGrp> kTable<SResRemoteImsiMsisdnGrp>{
    .name = "rsim_imsi_range",
    .key = {SResRemoteImsiMsisdnGrp::idx_FIRST_IMSI},
    .rights = {.add = 53713, .modify = 53714, .remove = 53715, .read = 55005},
    .functionCode = 10150177,
    .caption = "远程写卡号群与IMSI关系维护",
    .codeLists = {{SResRemoteImsiMsisdnGrp::idx_REGION_CODE, Regions},
                  {SResRemoteImsiMsisdnGrp::idx_COUNTY_CODE, Counties},
                  {SResRemoteImsiMsisdnGrp::idx_ORG_ID, BusinessHalls}},
};

template <>
inline constexpr Table<SResRemoteMsisdnGrp> kTable<SResRemoteMsisdnGrp>{
    .name = "rsim_msisdn_range",
    .key = {SResRemoteMsisdnGrp::idx_FIRST_MSISDN},
    .rights = {.add = 53716, .modify = 53717, .remove = 53718, .read = 53710},
    .functionCode = 10150178,
    .caption = "远程写卡号群与号段关系维护",
    .codeLists = {{SResRemoteMsisdnGrp::idx_REGION_CODE, Regions},
                  {SResRemoteMsisdnGrp::idx_COUNTY_CODE, Counties},
                  {SResRemoteMsisdnGrp::idx_ORG_ID, BusinessHalls}},
};

// The SIM window shares the write rights of the MSISDN groups; its queries have a right of their
// own, the inventory of cards being more than a reference table.
template <>
inline constexpr Table<SRemoteSimInfo> kTable<SRemoteSimInfo>{
    .name = "rsim_sim",
    .key = {SRemoteSimInfo::idx_IMSI},
    .rights = {.add = 53719, .modify = 53720, .remove = 53721, .read = 53711},
    .functionCode = 10150176,
    .caption = "远程写卡_SIM卡信息维护",
    .codeLists = {{SRemoteSimInfo::idx_REGION_CODE, Regions},
                  {SRemoteSimInfo::idx_COUNTY_CODE, Counties},
                  {SRemoteSimInfo::idx_ORG_ID, BusinessHalls},
                  {SRemoteSimInfo::idx_STS, SimStatuses},
                  {SRemoteSimInfo::idx_PURPOSE, Purposes},
                  {SRemoteSimInfo::idx_RES_STS, ResourceStatuses}},
};

template <>
inline constexpr Table<SResRemoteCardVendorDll> kTable<SResRemoteCardVendorDll>{
    .name = "rsim_vendor_dll",
    .key = {SResRemoteCardVendorDll::idx_PROVINCE_CODE, SResRemoteCardVendorDll::idx_VENDOR_CODE,
            SResRemoteCardVendorDll::idx_CARD_TYPE, SResRemoteCardVendorDll::idx_DLL_NAME},
    .rights = {.add = 53722, .modify = 53723, .remove = 53724, .read = 53712},
    .functionCode = 10150182,
    .caption = "远程写卡卡商/卡类型/写卡组件维护",
};

// The vendor libraries and their error texts share one set of rights.
template <>
inline constexpr Table<SResRemoteDllErrMsg> kTable<SResRemoteDllErrMsg>{
    .name = "rsim_dll_error",
    .key = {SResRemoteDllErrMsg::idx_VENDOR_CODE, SResRemoteDllErrMsg::idx_CARD_TYPE,
            SResRemoteDllErrMsg::idx_DLL_NAME, SResRemoteDllErrMsg::idx_ERR_CODE},
    .rights = {.add = 53722, .modify = 53723, .remove = 53724, .read = 53712},
    .functionCode = 10150183,
    .caption = "远程写卡错误代码表维护",
};

template <>
inline constexpr Table<SResRemoteAucInfo> kTable<SResRemoteAucInfo>{
    .name = "rsim_auc_info",
    .key = {SResRemoteAucInfo::idx_PROVINCE_CODE, SResRemoteAucInfo::idx_VENDOR_CODE,
            SResRemoteAucInfo::idx_CARD_TYPE, SResRemoteAucInfo::idx_SIM_SEQUENCE},
    .rights = {.add = 53731, .modify = 53732, .remove = 53733, .read = 53725},
    .functionCode = 10150186,
    .caption = "远程写卡鉴权卡登陆校验信息维护",
    .codeLists = {{SResRemoteAucInfo::idx_REGION_CODE, Regions},
                  {SResRemoteAucInfo::idx_COUNTY_CODE, Counties},
                  {SResRemoteAucInfo::idx_ORG_ID, BusinessHalls},
                  {SResRemoteAucInfo::idx_OP_ID, Operators},
                  {SResRemoteAucInfo::idx_STS, AucStatuses}},
};

template <>
inline constexpr Table<SResRemoteSysAuc> kTable<SResRemoteSysAuc>{
    .name = "rsim_auc_right",
    .key = {SResRemoteSysAuc::idx_ENT_TYPE, SResRemoteSysAuc::idx_ENT_CODE,
            SResRemoteSysAuc::idx_SIM_SEQUENCE},
    .rights = {.add = 53734, .modify = 53735, .remove = 53736, .read = 53726},
    .functionCode = 10150185,
    .caption = "远程写卡鉴权卡权限信息维护",
    .codeLists = {{SResRemoteSysAuc::idx_ENT_TYPE, EntityTypes}},
};

// The three lists of the inquiry window, read with its one right; the window is that of the
// write log, its first page.
template <>
inline constexpr Table<SPsNetNumber> kTable<SPsNetNumber>{
    .name = "rsim_ps_number",
    .key = {SPsNetNumber::idx_NUMBER_SEGMENT},
    .rights = {.read = 53727},
    .codeLists = {{SPsNetNumber::idx_REGION_CODE, Regions},
                  {SPsNetNumber::idx_ORG_ID, BusinessHalls},
                  {SPsNetNumber::idx_OPER_ID, Operators}},
};

template <>
inline constexpr Table<SPsNetImsi> kTable<SPsNetImsi>{
    .name = "rsim_ps_imsi",
    .key = {SPsNetImsi::idx_START_IMSI},
    .rights = {.read = 53727},
    .codeLists = {{SPsNetImsi::idx_REGION_CODE, Regions}},
};

template <>
inline constexpr Table<SRemoteSimLog> kTable<SRemoteSimLog>{
    .name = "rsim_write_log",
    .key = {SRemoteSimLog::idx_SO_NBR},
    .rights = {.read = 53727},
    .functionCode = 10150187,
    .caption = "远程写卡信息查询",
    .codeLists = {{SRemoteSimLog::idx_REGION_CODE, Regions}, {SRemoteSimLog::idx_OP_ID, Operators}},
};

// A code list, which every operator reads.
template <>
inline constexpr Table<MResSysMgnt::SResCodeDefInfo> kTable<MResSysMgnt::SResCodeDefInfo>{
    .name = "rsim_res_code",
    .key = {MResSysMgnt::SResCodeDefInfo::idx_RES_CODE},
};

// Every declared table, remote-SIM tables first in the order of their operations.
#define RSIM_TABLE_INFO_(Rec, ...) TableInfo(TableOf<Rec>()),
#define RSIM_INQUIRY_TABLE_INFO_(op, code, CritT, critName, Rec, listName)                         \
    TableInfo(TableOf<Rec>()),
inline constexpr TableInfo kTables[] = {RSIM_FAMILIES(RSIM_TABLE_INFO_) RSIM_INQUIRIES(
    RSIM_INQUIRY_TABLE_INFO_) TableInfo(TableOf<MResSysMgnt::SResCodeDefInfo>())};
#undef RSIM_INQUIRY_TABLE_INFO_
#undef RSIM_TABLE_INFO_

// True when the entity is the add, modify or delete right of a maintained table.
constexpr bool IsWriteRight(int entity)
{
    return std::any_of(std::begin(kTables), std::end(kTables),
                       [entity](const TableInfo& table) { return table.rights.writes(entity); });
}

// A window of the module: its function code and caption.
struct Window {
    int functionCode;
    std::string_view caption;
};

// The windows the tables declare, in the order of their function codes.
std::vector<Window> Windows();

// The entities whose rights every window asks for: every right a table declares, once each;
// the ids grouped by thousands, the higher thousand first, each group in ascending order.
std::vector<int> RightsAsked();

} // namespace rsimcatalog
