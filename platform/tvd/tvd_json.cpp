#include "tvd_json.h"
#include "tvd_member.h"

#include <limits>

namespace tvd::wire {
namespace {

using nlohmann::json;

json encodeRecord(const CTvdBasicStructObject& record)
{
    const STvdTypeDesc* desc = record.get_typeDesc();
    json out = json::object();
    for (int i = 0; i < desc->memberCount; ++i)
        if (record.isSet(i))
            out[desc->members[i].name] = std::visit(
                TvdOverloaded{[](const CBSDateTime* date) -> json { return date->toWire(); },
                              [](const auto* value) -> json { return *value; }},
                tvd_member(record, i));
    return out;
}

template <class Int>
Int readInteger(const json& value, const std::string& path)
{
    const char* typeName = sizeof(Int) == 2 ? "int16" : sizeof(Int) == 4 ? "int32" : "int64";
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()) {
            const auto v = value.get<std::uint64_t>();
            if (v <= static_cast<std::uint64_t>(std::numeric_limits<Int>::max()))
                return static_cast<Int>(v);
        } else {
            const auto v = value.get<std::int64_t>();
            if (v >= std::numeric_limits<Int>::min() && v <= std::numeric_limits<Int>::max())
                return static_cast<Int>(v);
        }
        throw DecodeError(path, std::string("value out of range for ") + typeName);
    }
    throw DecodeError(path, std::string("expected an integer (") + typeName + ")");
}

void decodeValue(const json& value, std::string& out, const std::string& path)
{
    if (!value.is_string())
        throw DecodeError(path, "expected a string");
    out = value.get<std::string>();
}

void decodeValue(const json& value, CBSDateTime& out, const std::string& path)
{
    if (!value.is_string() || !CBSDateTime::fromWire(value.get<std::string>(), out))
        throw DecodeError(path, "expected a date \"YYYY-MM-DD HH:MM:SS\"");
}

template <class Int>
void decodeValue(const json& value, Int& out, const std::string& path)
{
    out = readInteger<Int>(value, path);
}

void decodeRecord(const json& value, CTvdBasicStructObject& record, const std::string& path)
{
    const STvdTypeDesc* desc = record.get_typeDesc();
    if (!value.is_object())
        throw DecodeError(path, std::string("expected a record ") + desc->typeName);
    const CTvdTypeInfo& type = *record.get_typeInfo();
    for (const auto& [name, member] : value.items()) {
        const int index = type.memberIndex(name);
        const std::string memberPath = path + "." + name;
        if (index < 0)
            throw DecodeError(memberPath, std::string("no such member in ") + desc->typeName);
        std::visit([&](auto* target) { decodeValue(member, *target, memberPath); },
                   tvd_member(record, index));
        record.markSet(index);
    }
}

void decodeList(const json& value, CTvdBasicListObject& list, const std::string& path)
{
    if (!value.is_array())
        throw DecodeError(path, "expected a list (array) of " + list.get_typeInfo()->name());
    list.resize(static_cast<int>(value.size()));
    for (std::size_t i = 0; i < value.size(); ++i)
        decodeRecord(value[i], list.element(static_cast<int>(i)),
                     path + "[" + std::to_string(i) + "]");
}

bool carriesObject(int kind)
{
    return kind == TVD_RECORD || kind == TVD_LIST;
}

} // namespace

DecodeError::DecodeError(const std::string& p, const std::string& what)
    : std::runtime_error((p.empty() ? std::string("value") : p) + ": " + what), path(p)
{}

json encode(const CTvdBasicObject& object)
{
    if (const auto* record = dynamic_cast<const CTvdBasicStructObject*>(&object))
        return encodeRecord(*record);
    const auto& list = dynamic_cast<const CTvdBasicListObject&>(object);
    json out = json::array();
    out.get_ref<json::array_t&>().reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i)
        out.push_back(encodeRecord(list.element(i)));
    return out;
}

void decode(const json& value, CTvdBasicObject& object, const std::string& path)
{
    if (auto* record = dynamic_cast<CTvdBasicStructObject*>(&object))
        return decodeRecord(value, *record, path);
    decodeList(value, dynamic_cast<CTvdBasicListObject&>(object), path);
}

json encodeError(const CBSErrorMsg& error)
{
    return {{"code", error.code},
            {"minCode", error.minCode},
            {"message", error.message},
            {"hint", error.hint}};
}

bool decodeError(const json& value, CBSErrorMsg& error)
{
    if (!value.is_object())
        return false;
    auto integer = [&](const char* key, std::int32_t& out) {
        auto it = value.find(key);
        if (it == value.end() || !it->is_number_integer())
            return false;
        out = it->get<std::int32_t>();
        return true;
    };
    auto text = [&](const char* key, std::string& out) {
        auto it = value.find(key);
        if (it == value.end() || !it->is_string())
            return false;
        out = it->get<std::string>();
        return true;
    };
    CBSErrorMsg read;
    if (!integer("code", read.code) || !integer("minCode", read.minCode) ||
        !text("message", read.message) || !text("hint", read.hint))
        return false;
    error = read;
    return true;
}

json encodeParams(const CTvdBasicParamObject& params)
{
    json out = json::object();
    for (int i = 0; i < params.memberCount(); ++i)
        if (carriesObject(params.member(i).kind))
            out[params.member(i).name] = encode(*params.object(i));
    return out;
}

void decodeParams(const json& value, CTvdBasicParamObject& params, const std::string& path)
{
    if (!value.is_object())
        throw DecodeError(path, "expected an object of parameters");
    for (const auto& [name, member] : value.items()) {
        const int index = params.typeInfo()->memberIndex(name);
        if (index < 0 || !carriesObject(params.member(index).kind))
            throw DecodeError(path + "." + name,
                              "no such parameter of " + params.typeInfo()->name());
        decode(member, *params.object(index), path + "." + name);
    }
}

OwnedParams::OwnedParams(const CTvdTypeInfo& paramType)
{
    std::vector<void*> pointers;
    const STvdMemberTypeInfo* table = paramType.memberTable();
    for (int i = 0; table[i].kind != TVD_END; ++i) {
        if (carriesObject(table[i].kind)) {
            const std::string& typeName =
                paramType.memberTypes()[static_cast<std::size_t>(i)].typeName;
            const CTvdTypeInfo* type = CTvdTypeInfo::find(typeName);
            if (type == nullptr)
                throw std::logic_error("type " + typeName + " is not registered");
            objects_.push_back(type->create());
            pointers.push_back(objects_.back().get());
        } else {
            objects_.push_back(nullptr);
            pointers.push_back(table[i].kind == TVD_ERRORMSG ? static_cast<void*>(&error_)
                                                             : nullptr);
        }
    }
    params_ = std::make_unique<CTvdBasicParamObject>(paramType.kind() == TVD_PARAM_IN, &paramType,
                                                     std::move(pointers));
}

} // namespace tvd::wire
