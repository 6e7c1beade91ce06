// What each remote-SIM table is, as both ends of the wire need it: its record, its key, the
// rights its queries and writes need and the function code of the window that maintains it. The
// windows' rights check, the service's handlers and tables, and the demo operators' grants all read
// these declarations; the service adds its storage rules in server/tables/table_defs.cpp.
#pragma once

#include "ResRemoteSimMgnt_operations.h"
#include "ResSysMgnt_operations.h"

#include <array>
#include <initializer_list>
#include <span>
#include <string_view>

namespace rsimcatalog {

// The privilege every right is asked and granted with.
inline constexpr int kPrivilege = 10;

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

inline constexpr int kMaxKeyMembers = 4;

// The key of a table of records R, as member indexes of R in key order: a member of another
// record does not compile.
template <class R>
class KeyMembers {
public:
    constexpr KeyMembers(std::initializer_list<typename R::Member> members)
    {
        for (auto member : members)
            members_[count_++] = member;
    }
    constexpr std::span<const typename R::Member> members() const
    {
        return {members_.data(), count_};
    }

private:
    std::array<typename R::Member, kMaxKeyMembers> members_{};
    std::size_t count_ = 0;
};

// One table of records R.
template <class R>
struct Table {
    std::string_view name; // as stored
    KeyMembers<R> key;
    RightIds rights{};    // none: no window writes it, any operator reads it
    int functionCode = 0; // the window that maintains it; 0: none
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
          functionCode(table.functionCode)
    {
        for (auto member : table.key.members())
            key_[keyCount_++] = member;
    }
    constexpr std::span<const int> key() const { return {key_.data(), keyCount_}; }

    std::string_view name;
    const CTvdTypeInfo& (*record)();
    RightIds rights;
    int functionCode;

private:
    std::array<int, kMaxKeyMembers> key_{};
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
};

template <>
inline constexpr Table<SResRemoteCardType> kTable<SResRemoteCardType>{
    .name = "rsim_card_type",
    .key = {SResRemoteCardType::idx_CARD_TYPE},
    .rights = {.add = 53704, .modify = 53705, .remove = 53706, .read = 55002},
    .functionCode = 10150174,
};

template <>
inline constexpr Table<SResRemoteVendorCode> kTable<SResRemoteVendorCode>{
    .name = "rsim_vendor",
    .key = {SResRemoteVendorCode::idx_VENDOR_CODE},
    .rights = {.add = 53707, .modify = 53708, .remove = 53709, .read = 55003},
    .functionCode = 10150175,
};

template <>
inline constexpr Table<SResRemoteMsisdnGroup> kTable<SResRemoteMsisdnGroup>{
    .name = "rsim_msisdn_group",
    .key = {SResRemoteMsisdnGroup::idx_MSISDN_GROUP},
    .rights = {.add = 53719, .modify = 53720, .remove = 53721, .read = 55004},
    .functionCode = 10150179,
};

template <>
inline constexpr Table<SResRemoteImsiMsisdnGrp> kTable<SResRemoteImsiMsisdnGrp>{
    .name = "rsim_imsi_range",
    .key = {SResRemoteImsiMsisdnGrp::idx_FIRST_IMSI},
    .rights = {.add = 53713, .modify = 53714, .remove = 53715, .read = 55005},
    .functionCode = 10150177,
};

template <>
inline constexpr Table<SResRemoteMsisdnGrp> kTable<SResRemoteMsisdnGrp>{
    .name = "rsim_msisdn_range",
    .key = {SResRemoteMsisdnGrp::idx_FIRST_MSISDN},
    .rights = {.add = 53716, .modify = 53717, .remove = 53718, .read = 53710},
    .functionCode = 10150178,
};

// The SIM window shares the write rights of the MSISDN groups; its queries have a right of their
// own, the inventory of cards being more than a reference table.
template <>
inline constexpr Table<SRemoteSimInfo> kTable<SRemoteSimInfo>{
    .name = "rsim_sim",
    .key = {SRemoteSimInfo::idx_IMSI},
    .rights = {.add = 53719, .modify = 53720, .remove = 53721, .read = 53711},
    .functionCode = 10150176,
};

template <>
inline constexpr Table<SResRemoteCardVendorDll> kTable<SResRemoteCardVendorDll>{
    .name = "rsim_vendor_dll",
    .key = {SResRemoteCardVendorDll::idx_PROVINCE_CODE, SResRemoteCardVendorDll::idx_VENDOR_CODE,
            SResRemoteCardVendorDll::idx_CARD_TYPE, SResRemoteCardVendorDll::idx_DLL_NAME},
    .rights = {.add = 53722, .modify = 53723, .remove = 53724, .read = 53712},
    .functionCode = 10150182,
};

// The vendor libraries and their error texts share one set of rights.
template <>
inline constexpr Table<SResRemoteDllErrMsg> kTable<SResRemoteDllErrMsg>{
    .name = "rsim_dll_error",
    .key = {SResRemoteDllErrMsg::idx_VENDOR_CODE, SResRemoteDllErrMsg::idx_CARD_TYPE,
            SResRemoteDllErrMsg::idx_DLL_NAME, SResRemoteDllErrMsg::idx_ERR_CODE},
    .rights = {.add = 53722, .modify = 53723, .remove = 53724, .read = 53712},
    .functionCode = 10150183,
};

template <>
inline constexpr Table<SResRemoteAucInfo> kTable<SResRemoteAucInfo>{
    .name = "rsim_auc_info",
    .key = {SResRemoteAucInfo::idx_PROVINCE_CODE, SResRemoteAucInfo::idx_VENDOR_CODE,
            SResRemoteAucInfo::idx_CARD_TYPE, SResRemoteAucInfo::idx_SIM_SEQUENCE},
    .rights = {.add = 53731, .modify = 53732, .remove = 53733, .read = 53725},
    .functionCode = 10150186,
};

template <>
inline constexpr Table<SResRemoteSysAuc> kTable<SResRemoteSysAuc>{
    .name = "rsim_auc_right",
    .key = {SResRemoteSysAuc::idx_ENT_TYPE, SResRemoteSysAuc::idx_ENT_CODE,
            SResRemoteSysAuc::idx_SIM_SEQUENCE},
    .rights = {.add = 53734, .modify = 53735, .remove = 53736, .read = 53726},
    .functionCode = 10150185,
};

// The three lists of the inquiry window, read with its one right.
template <>
inline constexpr Table<SPsNetNumber> kTable<SPsNetNumber>{
    .name = "rsim_ps_number",
    .key = {SPsNetNumber::idx_NUMBER_SEGMENT},
    .rights = {.read = 53727},
};

template <>
inline constexpr Table<SPsNetImsi> kTable<SPsNetImsi>{
    .name = "rsim_ps_imsi",
    .key = {SPsNetImsi::idx_START_IMSI},
    .rights = {.read = 53727},
};

template <>
inline constexpr Table<SRemoteSimLog> kTable<SRemoteSimLog>{
    .name = "rsim_write_log",
    .key = {SRemoteSimLog::idx_SO_NBR},
    .rights = {.read = 53727},
};

// A code list, which every operator reads.
template <>
inline constexpr Table<MResSysMgnt::SResCodeDefInfo> kTable<MResSysMgnt::SResCodeDefInfo>{
    .name = "rsim_res_code",
    .key = {MResSysMgnt::SResCodeDefInfo::idx_RES_CODE},
};

// True when the entity is the add, modify or delete right of a maintained table.
constexpr bool IsWriteRight(int entity)
{
#define RSIM_TABLE_HAS_RIGHT_(Rec, ...) || TableOf<Rec>().rights.writes(entity)
    return false RSIM_FAMILIES(RSIM_TABLE_HAS_RIGHT_);
#undef RSIM_TABLE_HAS_RIGHT_
}

} // namespace rsimcatalog
