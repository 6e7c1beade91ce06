// Type registry, member tables, parameter objects and the operation table.
#include "tvd_member.h"
#include "tvd_operation.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>
#include <type_traits>

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, const CTvdTypeInfo*, std::less<>> types;
    std::map<std::string, TvdOperation, std::less<>> operations;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

std::string operationKey(std::string_view interfaceName, std::string_view code)
{
    std::string key(interfaceName);
    key += '/';
    key += code;
    return key;
}

template <class T, class Byte>
auto memberPointer(Byte* at)
{
    if constexpr (std::is_const_v<Byte>)
        return reinterpret_cast<const T*>(at);
    else
        return reinterpret_cast<T*>(at);
}

// The member at its completed offset.
template <class Member, class Byte>
Member memberAt(Byte* record, const STvdMemberTypeInfo& member)
{
    if (member.offset < 0)
        throw std::logic_error(std::string("member table of ") + member.name + " is not completed");
    Byte* at = record + member.offset;
    return tvd_withKind(member.kind, [at](auto type) -> Member {
        return memberPointer<typename decltype(type)::type>(at);
    });
}

} // namespace

TvdMember tvd_member(CTvdBasicStructObject& record, int index)
{
    return memberAt<TvdMember>(reinterpret_cast<char*>(&record),
                               record.get_typeDesc()->members[index]);
}

TvdConstMember tvd_member(const CTvdBasicStructObject& record, int index)
{
    return memberAt<TvdConstMember>(reinterpret_cast<const char*>(&record),
                                    record.get_typeDesc()->members[index]);
}

void tvd_assignInt16(void* d, const void* s)
{
    *static_cast<std::int16_t*>(d) = *static_cast<const std::int16_t*>(s);
}
void tvd_assignInt32(void* d, const void* s)
{
    *static_cast<std::int32_t*>(d) = *static_cast<const std::int32_t*>(s);
}
void tvd_assignInt64(void* d, const void* s)
{
    *static_cast<std::int64_t*>(d) = *static_cast<const std::int64_t*>(s);
}
void tvd_assignString(void* d, const void* s)
{
    *static_cast<std::string*>(d) = *static_cast<const std::string*>(s);
}
void tvd_assignDateTime(void* d, const void* s)
{
    *static_cast<CBSDateTime*>(d) = *static_cast<const CBSDateTime*>(s);
}

CTvdTypeInfo::CTvdTypeInfo(int kind, std::string name, std::size_t size,
                           std::vector<MemberType> members, STvdMemberTypeInfo* memberTable,
                           Factory factory)
    : kind_(kind), name_(std::move(name)), size_(size), members_(std::move(members)),
      memberTable_(memberTable), factory_(factory)
{
    if (memberTable_ == nullptr)
        return;
    std::size_t count = 0;
    while (memberTable_[count].kind != TVD_END)
        ++count;
    std::size_t slots = 4;
    while (slots < 2 * count)
        slots *= 2;
    byName_.resize(slots);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = memberTable_[i].name;
        const std::uint32_t key = keyOf(name);
        std::size_t slot = slotOf(key);
        while (byName_[slot].index >= 0)
            slot = (slot + 1) & (slots - 1);
        byName_[slot] = {name, key, static_cast<int>(i)};
    }
}

// A name's length (its low byte) and its first, middle and last bytes: member names are short
// and differ there, and reading four bytes costs less than hashing every one.
std::uint32_t CTvdTypeInfo::keyOf(std::string_view name)
{
    if (name.empty())
        return 0;
    const auto byte = [&](std::size_t i) {
        return std::uint32_t{static_cast<unsigned char>(name[i])};
    };
    return (static_cast<std::uint32_t>(name.size()) & 0xFF) | byte(0) << 8 |
           byte(name.size() / 2) << 16 | byte(name.size() - 1) << 24;
}

// The key mixed by a multiplication, its high bits taken.
std::size_t CTvdTypeInfo::slotOf(std::uint32_t key) const
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 40) & (byName_.size() - 1);
}

const CTvdTypeInfo* CTvdTypeInfo::find(std::string_view name)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.types.find(name);
    return it == r.types.end() ? nullptr : it->second;
}

int CTvdTypeInfo::memberIndex(std::string_view memberName) const
{
    if (byName_.empty())
        return -1;
    const std::uint32_t key = keyOf(memberName);
    const std::size_t last = byName_.size() - 1;
    for (std::size_t slot = slotOf(key);; slot = (slot + 1) & last) {
        const NamedMember& member = byName_[slot];
        if (member.index < 0 || (member.key == key && member.name == memberName))
            return member.index;
    }
}

std::unique_ptr<CTvdBasicObject> CTvdTypeInfo::create() const
{
    if (factory_ == nullptr)
        throw std::logic_error("type " + name_ + " cannot be created");
    return factory_();
}

namespace {

template <class T>
std::unique_ptr<T> createOfKind(const CTvdTypeInfo& type, int kind)
{
    if (type.kind() != kind)
        throw std::logic_error("type " + type.name() + " is not a " +
                               (kind == TVD_RECORD ? "record" : "list"));
    // The factory of a record or list type makes an object of that type.
    return std::unique_ptr<T>(static_cast<T*>(type.create().release()));
}

} // namespace

std::unique_ptr<CTvdBasicStructObject> CTvdTypeInfo::createRecord() const
{
    return createOfKind<CTvdBasicStructObject>(*this, TVD_RECORD);
}

std::unique_ptr<CTvdBasicListObject> CTvdTypeInfo::createList() const
{
    return createOfKind<CTvdBasicListObject>(*this, TVD_LIST);
}

CTvdTypeInfoImpl::CTvdTypeInfoImpl(const CTvdTypeInfo& info) : info_(info)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.types[info.name()] = &info;
}

CTvdTypeInfoImpl::~CTvdTypeInfoImpl()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.types.find(info_.name());
    if (it != r.types.end() && it->second == &info_)
        r.types.erase(it);
}

CTvdStructMemberTypeInitializer::CTvdStructMemberTypeInitializer(STvdMemberTypeInfo* table,
                                                                 CTvdBasicStructObject& record)
{
    void* addresses[CTvdBasicStructObject::kMaxMembers];
    record.get_members(addresses);
    const auto* base = reinterpret_cast<const char*>(&record);
    for (int i = 0; table[i].kind != TVD_END; ++i)
        table[i].offset = static_cast<int>(static_cast<const char*>(addresses[i]) - base);
}

void CTvdBasicListObject::foreach (void* context, ConstVisitor visit, int flag) const
{
    for (int i = 0; i < count(); ++i)
        visit(context, i, element(i), flag);
}

void CTvdBasicListObject::foreach (void* context, Visitor visit, int flag)
{
    for (int i = 0; i < count(); ++i)
        visit(context, i, element(i), flag);
}

CTvdBasicParamObject::CTvdBasicParamObject(bool in, int memberCount, const CTvdTypeInfo* typeInfo,
                                           const STvdMemberTypeInfo* members,
                                           std::initializer_list<void*> pointers)
    : in_(in), typeInfo_(typeInfo), members_(members), pointers_(pointers)
{
    if (static_cast<int>(pointers_.size()) != memberCount)
        throw std::logic_error("parameter object of " + typeInfo->name() +
                               ": member count does not match");
}

CTvdBasicParamObject::CTvdBasicParamObject(bool in, const CTvdTypeInfo* typeInfo,
                                           std::vector<void*> pointers)
    : in_(in), typeInfo_(typeInfo), members_(typeInfo->memberTable()),
      pointers_(std::move(pointers))
{}

CBSErrorMsg* CTvdBasicParamObject::errorMsg() const
{
    for (int i = 0; i < memberCount(); ++i)
        if (members_[i].kind == TVD_ERRORMSG)
            return static_cast<CBSErrorMsg*>(pointer(i));
    return nullptr;
}

const TvdOperation* tvd_findOperation(std::string_view interfaceName, std::string_view code)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.operations.find(operationKey(interfaceName, code));
    return it == r.operations.end() ? nullptr : &it->second;
}

CTvdOperationRegistration::CTvdOperationRegistration(const char* interfaceName, const char* code,
                                                     const char* name, const CTvdTypeInfo& in,
                                                     const CTvdTypeInfo& out)
    : interfaceName_(interfaceName), code_(code)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.operations[operationKey(interfaceName, code)] = {interfaceName, code, name, &in, &out};
}

CTvdOperationRegistration::~CTvdOperationRegistration()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.operations.erase(operationKey(interfaceName_, code_));
}
