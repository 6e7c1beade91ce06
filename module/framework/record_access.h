// Reading and writing a record's members by index, as the forms' field tables name them.
#pragma once

#include "TVClient.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace rsimform {

int memberKind(const CTvdBasicStructObject& record, int member);
bool isTextMember(const CTvdBasicStructObject& record, int member);

// The member as text: strings as they are, integers in decimal, dates "YYYY/MM/DD HH:NN:SS"
// (empty for a null date).
QString memberText(const CTvdBasicStructObject& record, int member);
std::int64_t memberInteger(const CTvdBasicStructObject& record, int member);
// A text member as it is stored, and its setter; std::bad_variant_access for another kind.
const std::string& memberString(const CTvdBasicStructObject& record, int member);
void setMemberString(CTvdBasicStructObject& record, int member, std::string_view text);

// Stores the value and marks the member as set. Integers are narrowed to the member's width;
// text into an integer member is read as a decimal number (0 when it is none).
void setMemberText(CTvdBasicStructObject& record, int member, const QString& text);
void setMemberInteger(CTvdBasicStructObject& record, int member, std::int64_t value);

// A date member (a null date for a member of another kind) and its setter, which ignores a
// member that is not a date.
CBSDateTime memberDate(const CTvdBasicStructObject& record, int member);
void setMemberDate(CTvdBasicStructObject& record, int member, const CBSDateTime& value);

// Copies every member and the member bits of one record into another of the same type.
void CopyRecord(const CTvdBasicStructObject& from, CTvdBasicStructObject& to);

} // namespace rsimform
