#include "PublicLookup.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::int64_t leadingNumber(const std::string& text)
{
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    i += negative ? 1 : 0;
    std::int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

// Cuts at max bytes without splitting a UTF-8 sequence.
std::string cut(std::string text, std::size_t max)
{
    if (text.size() <= max)
        return text;
    while (max > 0 && (static_cast<unsigned char>(text[max]) & 0xC0) == 0x80)
        --max;
    text.resize(max);
    return text;
}

const char* intoBuffer(char (&buffer)[CBasicLookup::kItemBytes], const std::string& text)
{
    const std::string kept = cut(text, CBasicLookup::kItemBytes - 1);
    std::memcpy(buffer, kept.c_str(), kept.size() + 1);
    return buffer;
}

char itemBuffer[CBasicLookup::kItemBytes];
char nameBuffer[CBasicLookup::kItemBytes];

} // namespace

TCNameCodeInfo::TCNameCodeInfo(std::int64_t c, const std::string& n) : code(c)
{
    const std::string kept = cut(n, sizeof name - 1);
    std::memcpy(name, kept.c_str(), kept.size() + 1);
}

std::string CBasicLookup::ItemText(std::int64_t code, const std::string& name)
{
    return cut("[" + std::to_string(code) + "] " + name, kItemBytes - 1);
}

void CBasicLookup::FillComboBox(QComboBox* comboBox) const
{
    if (comboBox == nullptr)
        return;
    QStringList items;
    FillItems(items);
    comboBox->addItems(items);
    if (comboBox->count() > 0)
        comboBox->setCurrentIndex(0);
}

void CBasicLookup::FillItems(QStringList& items) const
{
    for (int i = 0; i < EntryCount(); ++i)
        items.append(QString::fromStdString(ItemText(EntryCode(i), EntryName(i))));
}

std::int64_t CBasicLookup::CodeOfItem(const std::string& text) const
{
    for (int i = 0; i < EntryCount(); ++i)
        if (equalsIgnoringCase(ItemText(EntryCode(i), EntryName(i)), text))
            return EntryCode(i);
    return leadingNumber(text);
}

std::int64_t CBasicLookup::CodeOfName(const std::string& text) const
{
    for (int i = 0; i < EntryCount(); ++i)
        if (equalsIgnoringCase(EntryName(i), text))
            return EntryCode(i);
    return leadingNumber(text);
}

const char* CBasicLookup::ItemOfCode(std::int64_t code) const
{
    for (int i = 0; i < EntryCount(); ++i)
        if (EntryCode(i) == code)
            return intoBuffer(itemBuffer, ItemText(code, EntryName(i)));
    return intoBuffer(itemBuffer, std::to_string(code));
}

const char* CBasicLookup::NameOfCode(std::int64_t code) const
{
    for (int i = 0; i < EntryCount(); ++i)
        if (EntryCode(i) == code)
            return intoBuffer(nameBuffer, EntryName(i));
    return intoBuffer(nameBuffer, "");
}
