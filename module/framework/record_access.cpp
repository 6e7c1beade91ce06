#include "record_access.h"
#include "tvd_member.h"

namespace rsimform {

int memberKind(const CTvdBasicStructObject& record, int member)
{
    return record.get_typeDesc()->members[member].kind;
}

bool isTextMember(const CTvdBasicStructObject& record, int member)
{
    return std::holds_alternative<const std::string*>(tvd_member(record, member));
}

std::int64_t memberInteger(const CTvdBasicStructObject& record, int member)
{
    return std::visit(
        TvdOverloaded{
            [](const std::string* text) { return QString::fromStdString(*text).toLongLong(); },
            [](const CBSDateTime*) { return 0LL; },
            [](const auto* number) { return static_cast<long long>(*number); }},
        tvd_member(record, member));
}

const std::string& memberString(const CTvdBasicStructObject& record, int member)
{
    return *std::get<const std::string*>(tvd_member(record, member));
}

void setMemberString(CTvdBasicStructObject& record, int member, std::string_view text)
{
    std::get<std::string*>(tvd_member(record, member))->assign(text);
    record.markSet(member);
}

QString memberText(const CTvdBasicStructObject& record, int member)
{
    return std::visit(
        TvdOverloaded{[](const std::string* text) { return QString::fromStdString(*text); },
                      [](const CBSDateTime* date) {
                          return date->isNull() ? QString()
                                                : QString::fromStdString(date->toString());
                      },
                      [](const auto* number) { return QString::number(*number); }},
        tvd_member(record, member));
}

void setMemberInteger(CTvdBasicStructObject& record, int member, std::int64_t value)
{
    const bool stored = std::visit(
        TvdOverloaded{[&](std::string* text) {
                          *text = std::to_string(value);
                          return true;
                      },
                      [](CBSDateTime*) { return false; },
                      [&](auto* number) {
                          *number = static_cast<std::remove_pointer_t<decltype(number)>>(value);
                          return true;
                      }},
        tvd_member(record, member));
    if (stored)
        record.markSet(member);
}

void setMemberText(CTvdBasicStructObject& record, int member, const QString& text)
{
    const TvdMember target = tvd_member(record, member);
    if (auto* const* textMember = std::get_if<std::string*>(&target)) {
        **textMember = text.toStdString();
        record.markSet(member);
        return;
    }
    setMemberInteger(record, member, text.trimmed().toLongLong());
}

CBSDateTime memberDate(const CTvdBasicStructObject& record, int member)
{
    const TvdConstMember source = tvd_member(record, member);
    auto* const* date = std::get_if<const CBSDateTime*>(&source);
    return date != nullptr ? **date : CBSDateTime();
}

void setMemberDate(CTvdBasicStructObject& record, int member, const CBSDateTime& value)
{
    const TvdMember target = tvd_member(record, member);
    if (auto* const* date = std::get_if<CBSDateTime*>(&target)) {
        **date = value;
        record.markSet(member);
    }
}

void CopyRecord(const CTvdBasicStructObject& from, CTvdBasicStructObject& to)
{
    to.clearMasks();
    for (int i = 0; i < from.get_typeDesc()->memberCount; ++i) {
        std::visit(
            [&](auto* target) {
                using Value = std::remove_pointer_t<decltype(target)>;
                *target = *std::get<const Value*>(tvd_member(from, i));
            },
            tvd_member(to, i));
        if (from.isSet(i))
            to.markSet(i);
    }
}

} // namespace rsimform
