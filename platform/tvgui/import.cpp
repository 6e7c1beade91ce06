#include "CImportUtil.h"
#include "TVGUICommon.h"

#include <QFile>
#include <QStringDecoder>

#include <iconv.h>

#include <memory>

namespace {

constexpr int kListedBadLines = 10;

bool isSeparator(QChar c)
{
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '|' || c == '\r' || c == QChar(0x3000);
}

QStringList splitFields(QStringView line)
{
    QStringList fields;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool end = i == line.size() || isSeparator(line[i]);
        if (end && start >= 0) {
            fields.append(line.mid(start, i - start).toString());
            start = -1;
        } else if (!end && start < 0) {
            start = i;
        }
    }
    return fields;
}

// GBK (code page 936) to UTF-8 with glibc's iconv; false when the bytes are not GBK.
bool fromGbk(const QByteArray& bytes, QString& text)
{
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
    QByteArray out(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.constData());
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    char* outPtr = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    text = QString::fromUtf8(out);
    return true;
}

bool decode(QByteArray bytes, QString& text)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    text = utf8.decode(bytes);
    return !utf8.hasError() || fromGbk(bytes, text);
}

QString badLinesText(const std::vector<int>& lines)
{
    QStringList numbers;
    for (std::size_t i = 0; i < lines.size() && i < kListedBadLines; ++i)
        numbers.append(QString::number(lines[i]));
    QString text = numbers.join("、");
    if (lines.size() > kListedBadLines)
        text += QString("等%1行").arg(lines.size());
    return text;
}

} // namespace

CardFile ParseCardFile(const QByteArray& bytes)
{
    CardFile file;
    if (bytes.contains('\0')) {
        file.error = "导入文件不是文本文件（含有二进制内容），未导入任何数据。";
        return file;
    }
    QString text;
    if (!decode(bytes, text)) {
        file.error = "导入文件的编码无法识别（应为UTF-8或GBK），未导入任何数据。";
        return file;
    }
    int number = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++number;
        if (line.toUtf8().size() > kMaxCardLineBytes) {
            file.error = QString("导入文件第%1行过长（超过%2字节），不是卡数据文件，未导入任何数据。")
                             .arg(number).arg(kMaxCardLineBytes);
            file.rows.clear();
            return file;
        }
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || !trimmed[0].isDigit())
            continue;
        QStringList fields = splitFields(trimmed);
        if (fields.size() == 7)
            fields.insert(6, QString());
        if (fields.size() != 8) {
            file.badLines.push_back(number);
            continue;
        }
        if (file.badLines.empty())
            file.rows.push_back(std::move(fields));
    }
    if (!file.badLines.empty()) {
        file.rows.clear();
        file.error = QString("导入文件格式错误：每行应为7个或8个字段（IMSI号+SIM号+PIN1+PIN2+PUK1+PUK2+KI），"
                             "第%1行不符合，未导入任何数据。")
                         .arg(badLinesText(file.badLines));
    } else if (file.rows.empty()) {
        file.error = "导入文件中没有卡数据（每行以数字开头的IMSI号），未导入任何数据。";
    }
    return file;
}

bool CImportUtil::ImportListView(TListViewEx* listView, int, const char* extension, int append,
                                 int checked)
{
    if (listView == nullptr)
        return false;
    const QString ext = QString::fromUtf8(extension == nullptr ? "" : extension);
    const QString path = guiInteraction().openFileName("导入卡数据文件", QString("文本文件 (*%1)").arg(ext));
    if (path.isEmpty())
        return false;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        ShowGUIMessage("无法读取导入文件：%s\n%s", "提示", 16, path.toUtf8().constData(),
                       input.errorString().toUtf8().constData());
        return false;
    }
    const CardFile file = ParseCardFile(input.readAll());
    if (!file.error.isEmpty()) {
        ShowGUIMessage("%s", "提示", 16, file.error.toUtf8().constData());
        return false;
    }
    listView->beginUpdate();
    if (append == 0)
        listView->clear();
    for (const QStringList& card : file.rows) {
        const int row = listView->addRow(card[0], card.mid(1));
        if (checked != 0)
            listView->setChecked(row, true);
    }
    listView->endUpdate();
    return true;
}
