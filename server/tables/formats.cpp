#include "formats.h"

#include <algorithm>
#include <cctype>

namespace rsim::tables {
namespace {

bool allOf(const std::string& value, int (*test)(int))
{
    return std::all_of(value.begin(), value.end(),
                       [test](char c) { return test(static_cast<unsigned char>(c)) != 0; });
}

bool digits(const std::string& value, std::size_t min, std::size_t max)
{
    return value.size() >= min && value.size() <= max && allOf(value, isdigit);
}

// 0-9 and A-F only: a SIM number of lower-case letters would be stored as another number than the
// same in capitals, and order apart from it.
int isUpperHexDigit(int c)
{
    return std::isdigit(c) || (c >= 'A' && c <= 'F');
}

} // namespace

bool matchesFormat(Format format, const std::string& value)
{
    switch (format) {
    case Format::Any: return true;
    case Format::Imsi: return digits(value, 15, 15);
    case Format::Iccid:
        return (value.size() == 19 || value.size() == 20) && allOf(value, isUpperHexDigit);
    case Format::Ki: return value.size() == 32 && allOf(value, isxdigit);
    case Format::Pin: return digits(value, 4, 8);
    case Format::Puk: return digits(value, 8, 8);
    case Format::Smsp:
        return value.empty() || digits(value[0] == '+' ? value.substr(1) : value, 1, 20);
    case Format::Msisdn: return digits(value, 1, 15);
    case Format::Code:
        return !value.empty() && std::none_of(value.begin(), value.end(), [](char c) {
            return std::isspace(static_cast<unsigned char>(c));
        });
    }
    return false;
}

const char* formatDescription(Format format)
{
    switch (format) {
    case Format::Imsi: return "必须为15位数字";
    case Format::Iccid: return "必须为19或20位数字或大写字母A-F";
    case Format::Ki: return "必须为32位十六进制字符";
    case Format::Pin: return "必须为4到8位数字";
    case Format::Puk: return "必须为8位数字";
    case Format::Smsp: return "必须为可带“+”号的不超过20位数字";
    case Format::Msisdn: return "必须为1到15位数字";
    case Format::Code: return "不能为空，也不能含空格";
    case Format::Any: return "";
    }
    return "";
}

} // namespace rsim::tables
