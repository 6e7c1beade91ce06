// Runtime type descriptions, records, lists and parameter objects of the middleware.
//
// Every record, list and parameter type registers a CTvdTypeInfo when its library loads; the
// wire codec and the service's storage walk these descriptions, so no type has hand-written
// serialisation.
#pragma once

#include "tvd_datetime.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum TvdKind : int {
    TVD_END = -1,
    TVD_STRING = 2,
    TVD_INT16 = 3,
    TVD_INT32 = 4,
    TVD_INT64 = 5,
    TVD_DATETIME = 10,
    TVD_RECORD = 11,
    TVD_LIST = 13,
    TVD_PARAM_IN = 14,
    TVD_PARAM_OUT = 15,
    TVD_ERRORMSG = 17,
    TVD_SESSION = 18,
};

using TvdAssignFn = void (*)(void* destination, const void* source);
void tvd_assignInt16(void* destination, const void* source);
void tvd_assignInt32(void* destination, const void* source);
void tvd_assignInt64(void* destination, const void* source);
void tvd_assignString(void* destination, const void* source);
void tvd_assignDateTime(void* destination, const void* source);

// One member of a record or parameter type; a kind of TVD_END ends a table.
struct STvdMemberTypeInfo {
    int kind;
    const char* name;
    int size;     // bytes in memory; 0 in parameter tables
    int offset;   // from the start of the object; -1 until completed
    int reserved; // always 0
    TvdAssignFn assign;
};

class CTvdBasicObject;
class CTvdBasicStructObject;
class CTvdBasicListObject;

class CTvdTypeInfo {
public:
    struct MemberType {
        std::string typeName;
        int kind;
    };
    using Factory = std::unique_ptr<CTvdBasicObject> (*)();

    CTvdTypeInfo(int kind, std::string name, std::size_t size, std::vector<MemberType> members,
                 STvdMemberTypeInfo* memberTable, Factory factory = nullptr);

    // The registered type of that name, or null.
    static const CTvdTypeInfo* find(std::string_view name);

    int kind() const { return kind_; }
    const std::string& name() const { return name_; }
    std::size_t size() const { return size_; }
    int memberCount() const { return static_cast<int>(members_.size()); }
    const std::vector<MemberType>& memberTypes() const { return members_; }
    STvdMemberTypeInfo* memberTable() const { return memberTable_; }
    // Index of the member of that name, or -1; looked up in an index of the names, not a scan.
    int memberIndex(std::string_view memberName) const;
    // A new default object of this type (records and lists only).
    std::unique_ptr<CTvdBasicObject> create() const;
    // The same, typed: a new record, or a new list; std::logic_error for a type of another kind.
    std::unique_ptr<CTvdBasicStructObject> createRecord() const;
    std::unique_ptr<CTvdBasicListObject> createList() const;

private:
    struct NamedMember {
        std::string_view name;
        std::uint32_t key = 0; // keyOf(name)
        int index = -1;        // -1: an empty slot
    };
    static std::uint32_t keyOf(std::string_view name);
    std::size_t slotOf(std::uint32_t key) const;

    int kind_;
    std::string name_;
    std::size_t size_;
    std::vector<MemberType> members_;
    STvdMemberTypeInfo* memberTable_;
    Factory factory_;
    // The member table's names hashed, open addressing: a power of two slots, half of them free
    // at least, so that a probe ends soon at the name or at a free slot.
    std::vector<NamedMember> byName_;
};

// Registers a type for as long as it lives; types go away in reverse order of registration.
class CTvdTypeInfoImpl {
public:
    explicit CTvdTypeInfoImpl(const CTvdTypeInfo& info);
    ~CTvdTypeInfoImpl();
    CTvdTypeInfoImpl(const CTvdTypeInfoImpl&) = delete;
    CTvdTypeInfoImpl& operator=(const CTvdTypeInfoImpl&) = delete;

private:
    const CTvdTypeInfo& info_;
};

// Completes a record's member table with the offsets of a default instance.
class CTvdStructMemberTypeInitializer {
public:
    CTvdStructMemberTypeInitializer(STvdMemberTypeInfo* table, CTvdBasicStructObject& record);
};

// The static description of a record type.
struct STvdTypeDesc {
    std::uint64_t allMembersMask;
    int memberCount;
    const char* typeName;
    const STvdMemberTypeInfo* members;
};

class CTvdBasicObject {
public:
    virtual ~CTvdBasicObject() = default;
    virtual const CTvdTypeInfo* get_typeInfo() const = 0;

protected:
    CTvdBasicObject() = default;
    CTvdBasicObject(const CTvdBasicObject&) = default;
    CTvdBasicObject& operator=(const CTvdBasicObject&) = default;
};

// A record: members in a fixed order, member i owning bit i of both masks.
class CTvdBasicStructObject : public CTvdBasicObject {
public:
    static constexpr int kMaxMembers = 64;

    virtual const STvdTypeDesc* get_typeDesc() const = 0;
    // Fills addresses (when not null) with the address of each member in member order and
    // returns the address of the first member.
    virtual void* get_members(void** addresses) = 0;

    bool isSet(int member) const { return (masks_[0] >> member) & 1U; }
    std::uint64_t mask(int which) const { return masks_[which]; }
    void markSet(int member)
    {
        masks_[0] |= std::uint64_t{1} << member;
        masks_[1] |= std::uint64_t{1} << member;
    }
    void clearMasks() { masks_[0] = masks_[1] = 0; }

private:
    std::uint64_t masks_[2] = {0, 0};
};

class CTvdBasicListObject : public CTvdBasicObject {
public:
    using Visitor = void (*)(void* context, int index, CTvdBasicStructObject& element, int flag);
    using ConstVisitor = void (*)(void* context, int index, const CTvdBasicStructObject& element,
                                  int flag);

    virtual void foreach (void* context, ConstVisitor visit, int flag) const;
    virtual void foreach (void* context, Visitor visit, int flag);
    virtual CTvdBasicStructObject* append() = 0;
    virtual void resize(int count) = 0;
    virtual void* data() = 0;
    virtual int count() const = 0;
    virtual CTvdBasicStructObject& element(int index) = 0;
    virtual const CTvdBasicStructObject& element(int index) const = 0;
    virtual void reserve(int count) = 0;
    virtual void removeAt(int index) = 0;
};

// A list class of records of type T; Derived supplies the registered type.
template <class Derived, class T>
class CTvdList : public CTvdBasicListObject {
public:
    using value_type = T;

    const CTvdTypeInfo* get_typeInfo() const override { return &Derived::typeInfo(); }
    CTvdBasicStructObject* append() override { return &items_.emplace_back(); }
    void resize(int n) override { items_.resize(n < 1 ? 0 : static_cast<std::size_t>(n)); }
    void* data() override { return items_.empty() ? nullptr : items_.data(); }
    int count() const override { return static_cast<int>(items_.size()); }
    T& element(int i) override { return items_[static_cast<std::size_t>(i)]; }
    const T& element(int i) const override { return items_[static_cast<std::size_t>(i)]; }
    void reserve(int n) override { items_.reserve(n < 1 ? 0 : static_cast<std::size_t>(n)); }
    void removeAt(int i) override { erase(static_cast<std::size_t>(i)); }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    T& operator[](std::size_t i) { return items_[i]; }
    const T& operator[](std::size_t i) const { return items_[i]; }
    void push_back(const T& item) { items_.push_back(item); }
    void clear() { items_.clear(); }
    T& back() { return items_.back(); }
    void erase(std::size_t i) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i)); }
    void insert(std::size_t i, const T& item)
    {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(i), item);
    }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<T> items_;
};

// The in- or out-object of one call: one pointer per member of its parameter type, in member
// order. Records and lists are passed as CTvdBasicObject*, the error record as CBSErrorMsg*,
// the session as STVSession* (null: the process session).
class CTvdBasicParamObject {
public:
    CTvdBasicParamObject(bool in, int memberCount, const CTvdTypeInfo* typeInfo,
                         const STvdMemberTypeInfo* members, std::initializer_list<void*> pointers);
    CTvdBasicParamObject(bool in, const CTvdTypeInfo* typeInfo, std::vector<void*> pointers);
    virtual ~CTvdBasicParamObject() = default;

    bool isIn() const { return in_; }
    int memberCount() const { return static_cast<int>(pointers_.size()); }
    const CTvdTypeInfo* typeInfo() const { return typeInfo_; }
    const STvdMemberTypeInfo& member(int i) const { return members_[i]; }
    void* pointer(int i) const { return pointers_[static_cast<std::size_t>(i)]; }
    CTvdBasicObject* object(int i) const { return static_cast<CTvdBasicObject*>(pointer(i)); }
    CBSErrorMsg* errorMsg() const;

private:
    bool in_;
    const CTvdTypeInfo* typeInfo_;
    const STvdMemberTypeInfo* members_;
    std::vector<void*> pointers_;
};

// Kind, type name and assign function of each member type a record may hold.
template <class T>
struct TvdMemberTraits;
template <>
struct TvdMemberTraits<std::int16_t> {
    static constexpr int kind = TVD_INT16;
    static constexpr const char* typeName = "int16";
    static constexpr TvdAssignFn assign = tvd_assignInt16;
};
template <>
struct TvdMemberTraits<std::int32_t> {
    static constexpr int kind = TVD_INT32;
    static constexpr const char* typeName = "int32";
    static constexpr TvdAssignFn assign = tvd_assignInt32;
};
template <>
struct TvdMemberTraits<std::int64_t> {
    static constexpr int kind = TVD_INT64;
    static constexpr const char* typeName = "int64";
    static constexpr TvdAssignFn assign = tvd_assignInt64;
};
template <>
struct TvdMemberTraits<std::string> {
    static constexpr int kind = TVD_STRING;
    static constexpr const char* typeName = "KQSTD string";
    static constexpr TvdAssignFn assign = tvd_assignString;
};
template <>
struct TvdMemberTraits<CBSDateTime> {
    static constexpr int kind = TVD_DATETIME;
    static constexpr const char* typeName = "CBSDateTime";
    static constexpr TvdAssignFn assign = tvd_assignDateTime;
};
