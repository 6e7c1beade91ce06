#include "record_access.h"

namespace rsimform {
namespace {

void* memberAddress(CTvdBasicStructObject& record, int member)
{
    void* addresses[CTvdBasicStructObject::kMaxMembers];
    record.get_members(addresses);
    return addresses[member];
}

} // namespace

int memberKind(const CTvdBasicStructObject& record, int member)
{
    return record.get_typeDesc()->members[member].kind;
}

bool isTextMember(const CTvdBasicStructObject& record, int member)
{
    return memberKind(record, member) == TVD_STRING;
}

std::int64_t memberInteger(CTvdBasicStructObject& record, int member)
{
    void* address = memberAddress(record, member);
    switch (memberKind(record, member)) {
    case TVD_INT16: return *static_cast<std::int16_t*>(address);
    case TVD_INT32: return *static_cast<std::int32_t*>(address);
    case TVD_INT64: return *static_cast<std::int64_t*>(address);
    case TVD_STRING: return QString::fromStdString(*static_cast<std::string*>(address)).toLongLong();
    default: return 0;
    }
}

QString memberText(CTvdBasicStructObject& record, int member)
{
    void* address = memberAddress(record, member);
    switch (memberKind(record, member)) {
    case TVD_STRING: return QString::fromStdString(*static_cast<std::string*>(address));
    case TVD_DATETIME: {
        const auto* date = static_cast<CBSDateTime*>(address);
        return date->isNull() ? QString() : QString::fromStdString(date->toString());
    }
    default: return QString::number(memberInteger(record, member));
    }
}

void setMemberInteger(CTvdBasicStructObject& record, int member, std::int64_t value)
{
    void* address = memberAddress(record, member);
    switch (memberKind(record, member)) {
    case TVD_INT16: *static_cast<std::int16_t*>(address) = static_cast<std::int16_t>(value); break;
    case TVD_INT32: *static_cast<std::int32_t*>(address) = static_cast<std::int32_t>(value); break;
    case TVD_INT64: *static_cast<std::int64_t*>(address) = value; break;
    case TVD_STRING: *static_cast<std::string*>(address) = std::to_string(value); break;
    default: return;
    }
    record.markSet(member);
}

void setMemberText(CTvdBasicStructObject& record, int member, const QString& text)
{
    if (isTextMember(record, member)) {
        *static_cast<std::string*>(memberAddress(record, member)) = text.toStdString();
        record.markSet(member);
        return;
    }
    setMemberInteger(record, member, text.trimmed().toLongLong());
}

CBSDateTime memberDate(CTvdBasicStructObject& record, int member)
{
    if (memberKind(record, member) != TVD_DATETIME)
        return {};
    return *static_cast<CBSDateTime*>(memberAddress(record, member));
}

void setMemberDate(CTvdBasicStructObject& record, int member, const CBSDateTime& value)
{
    if (memberKind(record, member) != TVD_DATETIME)
        return;
    *static_cast<CBSDateTime*>(memberAddress(record, member)) = value;
    record.markSet(member);
}

void CopyRecord(const CTvdBasicStructObject& from, CTvdBasicStructObject& to)
{
    void* source[CTvdBasicStructObject::kMaxMembers];
    void* target[CTvdBasicStructObject::kMaxMembers];
    const_cast<CTvdBasicStructObject&>(from).get_members(source);
    to.get_members(target);
    const STvdTypeDesc* desc = from.get_typeDesc();
    to.clearMasks();
    for (int i = 0; i < desc->memberCount; ++i) {
        desc->members[i].assign(target[i], source[i]);
        if (from.isSet(i))
            to.markSet(i);
    }
}

} // namespace rsimform
