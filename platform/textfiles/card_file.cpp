// The card-data text file: read, decoded, split and checked as a whole.
#include "card_file.h"

#include <QFile>
#include <QStringDecoder>

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kListedBadLines = 10;
constexpr int kFieldsWithoutExtra = 7;
constexpr int kFieldsWithExtra = 8;
constexpr std::size_t kExtraColumn = 6; // "未知字段", between PUK2 and the KI

bool isSeparator(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u'\r':
    case u'\v':
    case u'\f':
    case u',':
    case u';':
    case u'|':
    case 0x3000:
    case 0xFF0C:
    case 0xFF1B: // ideographic space, full-width comma and semicolon
        return true;
    default: return false;
    }
}

QStringView unquoted(QStringView field)
{
    if (field.size() >= 2 && field.front() == u'"' && field.back() == u'"')
        return field.mid(1, field.size() - 2);
    return field;
}

// Splits at runs of separators; counts past the last field kept, so a long line still counts.
int splitFields(QStringView line, std::array<QStringView, kFieldsWithExtra>& fields)
{
    int count = 0;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool boundary = i == line.size() || isSeparator(line[i]);
        if (!boundary && start < 0) {
            start = i;
        } else if (boundary && start >= 0) {
            if (count < kFieldsWithExtra)
                fields[static_cast<std::size_t>(count)] = unquoted(line.mid(start, i - start));
            ++count;
            start = -1;
        }
    }
    return count;
}

// A card line starts with a digit, after any leading separators and an opening quote;
// everything else is a header, comment or blank line.
bool isCardLine(QStringView line)
{
    qsizetype first = 0;
    while (first < line.size() && isSeparator(line[first]))
        ++first;
    if (first < line.size() && line[first] == u'"')
        ++first;
    return first < line.size() && line[first] >= u'0' && line[first] <= u'9';
}

CardRow cardRow(const std::array<QStringView, kFieldsWithExtra>& fields, int count, int line)
{
    std::array<QStringView, kFieldsWithExtra> cells;
    std::copy(fields.begin(), fields.begin() + kExtraColumn, cells.begin());
    cells[kExtraColumn] = count == kFieldsWithExtra ? fields[kExtraColumn] : QStringView();
    cells[kFieldsWithExtra - 1] = fields[static_cast<std::size_t>(count - 1)];
    return CardRow{PackedCells(cells), line};
}

// The first line (1-based) longer than kMaxCardLineBytes, or 0.
int firstOverlongLine(const QByteArray& bytes)
{
    const char* begin = bytes.constData();
    const char* const end = begin + bytes.size();
    for (int number = 1; begin < end; ++number) {
        const void* found = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
        const char* lineEnd = found != nullptr ? static_cast<const char*>(found) : end;
        const bool crlf = lineEnd > begin && lineEnd[-1] == '\r';
        if (lineEnd - begin - (crlf ? 1 : 0) > kMaxCardLineBytes)
            return number;
        begin = lineEnd + 1;
    }
    return 0;
}

// GBK (code page 936) with glibc's iconv; false when the bytes are not GBK.
bool decodeGbk(const QByteArray& bytes, QString& text)
{
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::unique_ptr<void, int (*)(iconv_t)> closer(converter, iconv_close);
    QByteArray utf8(bytes.size() * 2 + 16, Qt::Uninitialized); // GBK grows by half at most
    char* in = const_cast<char*>(bytes.constData());
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    char* out = utf8.data();
    std::size_t outLeft = static_cast<std::size_t>(utf8.size());
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    utf8.truncate(utf8.size() - static_cast<qsizetype>(outLeft));
    text = QString::fromUtf8(utf8);
    return true;
}

// Valid UTF-8 (a BOM is dropped) is UTF-8; anything else must be GBK.
bool decode(const QByteArray& bytes, QString& text)
{
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = bom ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    text = utf8.decode(body);
    return !utf8.hasError() || (!bom && decodeGbk(body, text));
}

QString badLinesMessage(const std::vector<int>& lines)
{
    QStringList numbers;
    for (std::size_t i = 0; i < lines.size() && i < kListedBadLines; ++i)
        numbers.append(QString::number(lines[i]));
    QString listed = QString("第%1行").arg(numbers.join("、"));
    if (lines.size() > kListedBadLines)
        listed += QString("等共%1行").arg(lines.size());
    return QString("导入文件格式错误：每行应为7个字段（IMSI号 SIM号 PIN1 PIN2 PUK1 PUK2 KI）"
                   "或8个字段，%1不符合，未导入任何数据。")
        .arg(listed);
}

void parseLines(const QString& text, CardFile& file)
{
    std::array<QStringView, kFieldsWithExtra> fields;
    const QStringView all(text);
    int number = 0;
    for (qsizetype start = 0; start <= all.size(); ++number) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        const QStringView line = all.mid(start, end - start);
        start = end + 1;
        if (!isCardLine(line))
            continue;
        const int count = splitFields(line, fields);
        if (count != kFieldsWithoutExtra && count != kFieldsWithExtra)
            file.badLines.push_back(number + 1);
        else if (file.badLines.empty())
            file.rows.push_back(cardRow(fields, count, number + 1));
    }
}

} // namespace

bool ReadCardFile(const QString& path, QByteArray& bytes, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString("无法读取导入文件 %1：%2，未导入任何数据。").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxCardFileBytes) {
        error = QString("导入文件 %1 过大（超过%2MB），不是卡数据文件，未导入任何数据。")
                    .arg(path)
                    .arg(kMaxCardFileBytes >> 20);
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QString("读取导入文件 %1 出错：%2，未导入任何数据。").arg(path, file.errorString());
        return false;
    }
    return true;
}

CardFile ParseCardFile(QByteArray bytes)
{
    CardFile file;
    if (bytes.contains('\0')) {
        file.error = "导入文件不是文本文件（含有二进制内容），未导入任何数据。";
        return file;
    }
    if (const int line = firstOverlongLine(bytes); line > 0) {
        file.error = QString("导入文件第%1行过长（超过%2字节），不是卡数据文件，未导入任何数据。")
                         .arg(line)
                         .arg(kMaxCardLineBytes);
        return file;
    }
    QString text;
    if (!decode(bytes, text)) {
        file.error = "导入文件既不是UTF-8也不是GBK编码的文本，未导入任何数据。";
        return file;
    }
    file.rows.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    bytes = QByteArray();
    parseLines(text, file);
    if (!file.badLines.empty()) {
        file.rows.clear();
        file.error = badLinesMessage(file.badLines);
    } else if (file.rows.empty()) {
        file.error = "导入文件中没有卡数据（卡数据行以IMSI号的数字开头），未导入任何数据。";
    }
    return file;
}
