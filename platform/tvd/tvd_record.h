// Declaring records, lists and operations once.
//
// A record is declared by one member list, an X-macro of (type, NAME) pairs:
//
//     #define SResRemoteProvCode_MEMBERS(M) M(string, PROVINCE_CODE) M(string, PROVINCE_NAME)
//     TVD_RECORD(MResRemoteMgntDef, SResRemoteProvCode, SResRemoteProvCode_MEMBERS)
//
// From it follow the class with its members, member indexes, setters and masks (header), and
// with TVD_RECORD_DEFINE its type description, member table and registration (source file).
// Types: int16, int32, int64, string ("KQSTD string") and date (CBSDateTime).
#pragma once

#include "tvd_operation.h"

#include <type_traits>

namespace tvd {
using int16 = std::int16_t;
using int32 = std::int32_t;
using int64 = std::int64_t;
using string = std::string;
using date = CBSDateTime;

template <class T>
std::unique_ptr<CTvdBasicObject> create()
{
    return std::make_unique<T>();
}

template <class T>
constexpr int objectKind()
{
    return std::is_base_of_v<CTvdBasicListObject, T> ? TVD_LIST : TVD_RECORD;
}

constexpr std::uint64_t maskOfCount(int count)
{
    return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

// Registers a record type and completes its member table from a default instance.
template <class R>
struct RecordRegistration {
    RecordRegistration() : registration(complete()) {}
    static const CTvdTypeInfo& complete()
    {
        R record;
        CTvdStructMemberTypeInitializer(R::memberTable(), record);
        return R::typeInfo();
    }
    CTvdTypeInfoImpl registration;
};
} // namespace tvd

#define TVD_MEMBER_INDEX_(type, name) idx_##name,
#define TVD_MEMBER_FIELD_(type, name) tvd::type name{};
#define TVD_MEMBER_SETTER_(type, name)                                                             \
    void set_##name(const tvd::type& value)                                                        \
    {                                                                                              \
        name = value;                                                                              \
        markSet(idx_##name);                                                                       \
    }
#define TVD_MEMBER_ADDRESS_(type, name) addresses[idx_##name] = &name;
#define TVD_MEMBER_ROW_(type, name)                                                                \
    {TvdMemberTraits<tvd::type>::kind,  #name, static_cast<int>(sizeof(tvd::type)), -1, 0,         \
     TvdMemberTraits<tvd::type>::assign},
#define TVD_MEMBER_TYPE_(type, name)                                                               \
    {TvdMemberTraits<tvd::type>::typeName, TvdMemberTraits<tvd::type>::kind},

#define TVD_RECORD(Namespace, Name, MEMBERS)                                                       \
    class Name : public CTvdBasicStructObject {                                                    \
    public:                                                                                        \
        enum Member : int { MEMBERS(TVD_MEMBER_INDEX_) MEMBER_COUNT };                             \
        static_assert(MEMBER_COUNT <= 44, "a record has at most 44 members");                      \
        static constexpr const char* kTypeName = #Namespace "::" #Name;                            \
        MEMBERS(TVD_MEMBER_FIELD_)                                                                 \
        MEMBERS(TVD_MEMBER_SETTER_)                                                                \
        static const CTvdTypeInfo& typeInfo();                                                     \
        static STvdMemberTypeInfo* memberTable();                                                  \
        const CTvdTypeInfo* get_typeInfo() const override { return &typeInfo(); }                  \
        const STvdTypeDesc* get_typeDesc() const override;                                         \
        void* get_members(void** out) override                                                     \
        {                                                                                          \
            void* local[MEMBER_COUNT];                                                             \
            void** addresses = out ? out : local;                                                  \
            MEMBERS(TVD_MEMBER_ADDRESS_)                                                           \
            return addresses[0];                                                                   \
        }                                                                                          \
    };

#define TVD_RECORD_DEFINE(Namespace, Name, MEMBERS)                                                \
    STvdMemberTypeInfo* Namespace::Name::memberTable()                                             \
    {                                                                                              \
        static STvdMemberTypeInfo table[] = {                                                      \
            MEMBERS(TVD_MEMBER_ROW_){TVD_END, nullptr, 0, -1, 0, nullptr}};                        \
        return table;                                                                              \
    }                                                                                              \
    const CTvdTypeInfo& Namespace::Name::typeInfo()                                                \
    {                                                                                              \
        static const CTvdTypeInfo info(TVD_RECORD, kTypeName, sizeof(Name),                        \
                                       {MEMBERS(TVD_MEMBER_TYPE_)}, memberTable(),                 \
                                       &tvd::create<Name>);                                        \
        return info;                                                                               \
    }                                                                                              \
    const STvdTypeDesc* Namespace::Name::get_typeDesc() const                                      \
    {                                                                                              \
        static const STvdTypeDesc desc{tvd::maskOfCount(MEMBER_COUNT), MEMBER_COUNT, kTypeName,    \
                                       memberTable()};                                             \
        return &desc;                                                                              \
    }                                                                                              \
    static const tvd::RecordRegistration<Namespace::Name> Namespace##_##Name##_registration;

#define TVD_LIST(Namespace, Name)                                                                  \
    class Name##List : public CTvdList<Name##List, Name> {                                         \
    public:                                                                                        \
        static constexpr const char* kTypeName = #Namespace "::" #Name "List";                     \
        static const CTvdTypeInfo& typeInfo();                                                     \
    };

#define TVD_LIST_DEFINE(Namespace, Name)                                                           \
    const CTvdTypeInfo& Namespace::Name##List::typeInfo()                                          \
    {                                                                                              \
        static const CTvdTypeInfo info(TVD_LIST, kTypeName, sizeof(Name##List),                    \
                                       {{Name::kTypeName, TVD_RECORD}}, nullptr,                   \
                                       &tvd::create<Name##List>);                                  \
        return info;                                                                               \
    }                                                                                              \
    static const CTvdTypeInfoImpl Namespace##_##Name##List_registration(                           \
        Namespace::Name##List::typeInfo());

// Operations. A query takes one criteria record and answers a list; a write takes the
// operation-info record and a list and answers only the error record. The parameter types of an
// interface's operations are nested in a struct that both ends of the wire share:
//     struct IResSysMgntOperations {
//         static constexpr const char* kTypeName = "MResSysMgnt::IResSysMgnt";
//         static constexpr const char* kInterfaceName = "MResSysMgnt_IResSysMgnt";
//         TVD_QUERY_PARAMS(query_resCode, SQueryResCodeIn, sIn, SResCodeDefInfoList,
//                          listResCodeDefInfo)
//     };
// In a source file, TVD_*_OPERATION_TYPES defines the operation's parameter types and registers
// them with the operation. The client class derives from that struct and declares the calls
// (tvd_proxy.h), so that the service shares the types without seeing the client transport.
#define TVD_QUERY_PARAMS(op, InT, inName, OutT, outName)                                           \
    class CParamIn4##op : public CTvdBasicParamObject {                                            \
    public:                                                                                        \
        static const CTvdTypeInfo& typeInfo();                                                     \
        CParamIn4##op(const InT& inName, STVSession* session);                                     \
    };                                                                                             \
    class CParamOut4##op : public CTvdBasicParamObject {                                           \
    public:                                                                                        \
        static const CTvdTypeInfo& typeInfo();                                                     \
        CParamOut4##op(OutT& outName, CBSErrorMsg& cErrorMsg);                                     \
    };

#define TVD_WRITE_PARAMS(op, InfoT, infoName, ListT, listName)                                     \
    class CParamIn4##op : public CTvdBasicParamObject {                                            \
    public:                                                                                        \
        static const CTvdTypeInfo& typeInfo();                                                     \
        CParamIn4##op(const InfoT& infoName, const ListT& listName, STVSession* session);          \
    };                                                                                             \
    class CParamOut4##op : public CTvdBasicParamObject {                                           \
    public:                                                                                        \
        static const CTvdTypeInfo& typeInfo();                                                     \
        explicit CParamOut4##op(CBSErrorMsg& cErrorMsg);                                           \
    };

#define TVD_PARAM_ROW_(kind, name)                                                                 \
    {                                                                                              \
        kind, name, 0, -1, 0, nullptr                                                              \
    }
// Registers an operation's two parameter types and the operation itself, at load.
#define TVD_REGISTER_OPERATION_(Iface, op, code)                                                   \
    static const CTvdTypeInfoImpl Iface##_##op##_inRegistration(Iface::CParamIn4##op::typeInfo()); \
    static const CTvdTypeInfoImpl Iface##_##op##_outRegistration(                                  \
        Iface::CParamOut4##op::typeInfo());                                                        \
    static const CTvdOperationRegistration Iface##_##op##_operation(                               \
        Iface::kInterfaceName, code, #op, Iface::CParamIn4##op::typeInfo(),                        \
        Iface::CParamOut4##op::typeInfo());
#define TVD_PARAM_END_                                                                             \
    {                                                                                              \
        TVD_END, nullptr, 0, -1, 0, nullptr                                                        \
    }
#define TVD_OBJ_(x)                                                                                \
    static_cast<void*>(static_cast<CTvdBasicObject*>(                                              \
        const_cast<std::remove_const_t<std::remove_reference_t<decltype(x)>>*>(&x)))

#define TVD_PARAM_TYPE_(Iface, Param, kind, table, ...)                                            \
    const CTvdTypeInfo& Iface::Param::typeInfo()                                                   \
    {                                                                                              \
        static const CTvdTypeInfo info(kind, std::string(Iface::kTypeName) + "::" #Param, 0,       \
                                       {__VA_ARGS__}, const_cast<STvdMemberTypeInfo*>(table));     \
        return info;                                                                               \
    }

#define TVD_QUERY_OPERATION_TYPES(Iface, op, code, InT, inName, OutT, outName)                     \
    static const STvdMemberTypeInfo Iface##_##op##_in[] = {                                        \
        TVD_PARAM_ROW_(tvd::objectKind<InT>(), #inName), TVD_PARAM_ROW_(TVD_SESSION, "session"),   \
        TVD_PARAM_END_};                                                                           \
    static const STvdMemberTypeInfo Iface##_##op##_out[] = {                                       \
        TVD_PARAM_ROW_(tvd::objectKind<OutT>(), #outName),                                         \
        TVD_PARAM_ROW_(TVD_ERRORMSG, "cErrorMsg"), TVD_PARAM_END_};                                \
    TVD_PARAM_TYPE_(Iface, CParamIn4##op, TVD_PARAM_IN, Iface##_##op##_in,                         \
                    {InT::kTypeName, tvd::objectKind<InT>()}, {"TVSession", TVD_SESSION})          \
    TVD_PARAM_TYPE_(Iface, CParamOut4##op, TVD_PARAM_OUT, Iface##_##op##_out,                      \
                    {OutT::kTypeName, tvd::objectKind<OutT>()}, {"CBSErrorMsg", TVD_ERRORMSG})     \
    Iface::CParamIn4##op::CParamIn4##op(const InT& inName, STVSession* session)                    \
        : CTvdBasicParamObject(true, 2, &typeInfo(), Iface##_##op##_in,                            \
                               {TVD_OBJ_(inName), session})                                        \
    {}                                                                                             \
    Iface::CParamOut4##op::CParamOut4##op(OutT& outName, CBSErrorMsg& cErrorMsg)                   \
        : CTvdBasicParamObject(false, 2, &typeInfo(), Iface##_##op##_out,                          \
                               {TVD_OBJ_(outName), &cErrorMsg})                                    \
    {}                                                                                             \
    TVD_REGISTER_OPERATION_(Iface, op, code)

#define TVD_WRITE_OPERATION_TYPES(Iface, op, code, InfoT, infoName, ListT, listName)               \
    static const STvdMemberTypeInfo Iface##_##op##_in[] = {                                        \
        TVD_PARAM_ROW_(TVD_RECORD, #infoName), TVD_PARAM_ROW_(TVD_LIST, #listName),                \
        TVD_PARAM_ROW_(TVD_SESSION, "session"), TVD_PARAM_END_};                                   \
    static const STvdMemberTypeInfo Iface##_##op##_out[] = {                                       \
        TVD_PARAM_ROW_(TVD_ERRORMSG, "cErrorMsg"), TVD_PARAM_END_};                                \
    TVD_PARAM_TYPE_(Iface, CParamIn4##op, TVD_PARAM_IN, Iface##_##op##_in,                         \
                    {InfoT::kTypeName, TVD_RECORD}, {ListT::kTypeName, TVD_LIST},                  \
                    {"TVSession", TVD_SESSION})                                                    \
    TVD_PARAM_TYPE_(Iface, CParamOut4##op, TVD_PARAM_OUT, Iface##_##op##_out,                      \
                    {"CBSErrorMsg", TVD_ERRORMSG})                                                 \
    Iface::CParamIn4##op::CParamIn4##op(const InfoT& infoName, const ListT& listName,              \
                                        STVSession* session)                                       \
        : CTvdBasicParamObject(true, 3, &typeInfo(), Iface##_##op##_in,                            \
                               {TVD_OBJ_(infoName), TVD_OBJ_(listName), session})                  \
    {}                                                                                             \
    Iface::CParamOut4##op::CParamOut4##op(CBSErrorMsg& cErrorMsg)                                  \
        : CTvdBasicParamObject(false, 1, &typeInfo(), Iface##_##op##_out, {&cErrorMsg})            \
    {}                                                                                             \
    TVD_REGISTER_OPERATION_(Iface, op, code)

// An exchange takes a record and a list and answers a list (for instance a rights check: the
// operator, the rights asked for, the rights granted).
#define TVD_EXCHANGE_PARAMS(op, InT, inName, InListT, inListName, OutT, outName)                   \
    class CParamIn4##op : public CTvdBasicParamObject {                                            \
    public:                                                                                        \
        static const CTvdTypeInfo& typeInfo();                                                     \
        CParamIn4##op(const InT& inName, const InListT& inListName, STVSession* session);          \
    };                                                                                             \
    class CParamOut4##op : public CTvdBasicParamObject {                                           \
    public:                                                                                        \
        static const CTvdTypeInfo& typeInfo();                                                     \
        CParamOut4##op(OutT& outName, CBSErrorMsg& cErrorMsg);                                     \
    };

#define TVD_EXCHANGE_OPERATION_TYPES(Iface, op, code, InT, inName, InListT, inListName, OutT,      \
                                     outName)                                                      \
    static const STvdMemberTypeInfo Iface##_##op##_in[] = {                                        \
        TVD_PARAM_ROW_(TVD_RECORD, #inName), TVD_PARAM_ROW_(TVD_LIST, #inListName),                \
        TVD_PARAM_ROW_(TVD_SESSION, "session"), TVD_PARAM_END_};                                   \
    static const STvdMemberTypeInfo Iface##_##op##_out[] = {                                       \
        TVD_PARAM_ROW_(TVD_LIST, #outName), TVD_PARAM_ROW_(TVD_ERRORMSG, "cErrorMsg"),             \
        TVD_PARAM_END_};                                                                           \
    TVD_PARAM_TYPE_(Iface, CParamIn4##op, TVD_PARAM_IN, Iface##_##op##_in,                         \
                    {InT::kTypeName, TVD_RECORD}, {InListT::kTypeName, TVD_LIST},                  \
                    {"TVSession", TVD_SESSION})                                                    \
    TVD_PARAM_TYPE_(Iface, CParamOut4##op, TVD_PARAM_OUT, Iface##_##op##_out,                      \
                    {OutT::kTypeName, TVD_LIST}, {"CBSErrorMsg", TVD_ERRORMSG})                    \
    Iface::CParamIn4##op::CParamIn4##op(const InT& inName, const InListT& inListName,              \
                                        STVSession* session)                                       \
        : CTvdBasicParamObject(true, 3, &typeInfo(), Iface##_##op##_in,                            \
                               {TVD_OBJ_(inName), TVD_OBJ_(inListName), session})                  \
    {}                                                                                             \
    Iface::CParamOut4##op::CParamOut4##op(OutT& outName, CBSErrorMsg& cErrorMsg)                   \
        : CTvdBasicParamObject(false, 2, &typeInfo(), Iface##_##op##_out,                          \
                               {TVD_OBJ_(outName), &cErrorMsg})                                    \
    {}                                                                                             \
    TVD_REGISTER_OPERATION_(Iface, op, code)
