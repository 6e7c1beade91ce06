#include "tvd_json.h"
#include "tvd_member.h"

namespace tvd::wire {
namespace {

bool carriesObject(int kind)
{
    return kind == TVD_RECORD || kind == TVD_LIST;
}

} // namespace

DecodeError::DecodeError(const std::string& p, const std::string& what)
    : std::runtime_error((p.empty() ? std::string("value") : p) + ": " + what), path(p)
{}

namespace {

std::string describe(TextFault::Kind kind, const std::string& name, std::size_t size,
                     std::size_t position)
{
    const std::string at = " near byte " + std::to_string(position);
    switch (kind) {
    case TextFault::Empty: return "no JSON value at the start";
    case TextFault::Syntax: return "malformed JSON" + at;
    case TextFault::Encoding: return "a string that is not UTF-8" + at;
    case TextFault::Depth: return "nested deeper than " + std::to_string(size) + " levels";
    case TextFault::Length:
        return "a string of " + std::to_string(size) + " bytes after member \"" + name + "\"";
    case TextFault::Duplicate: return "member \"" + name + "\" twice in one object";
    case TextFault::Nul: return "U+0000 in a string after member \"" + name + "\"";
    }
    return "malformed JSON";
}

} // namespace

TextFault::TextFault(Kind k, std::string n, std::size_t s, std::size_t p)
    : std::runtime_error(describe(k, n, s, p)), kind(k), name(std::move(n)), size(s), position(p)
{}

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
