#include "table_text.h"

#include "csv_text.h"
#include "tvd_member.h"

#include <algorithm>

namespace {

// A member as the wire writes it: text as it is, a number in decimal, a date in its wire form;
// empty when unset.
QString cellText(const CTvdBasicStructObject& record, int member)
{
    if (!record.isSet(member))
        return {};
    return std::visit(
        TvdOverloaded{
            [](const std::string* text) { return QString::fromStdString(*text); },
            [](const CBSDateTime* date) { return QString::fromStdString(date->toWire()); },
            [](const auto* number) { return QString::number(*number); }},
        tvd_member(record, member));
}

void appendLine(QString& text, const QStringList& cells, bool csv)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            text += csv ? u',' : u'\t';
        if (csv)
            AppendCsvField(text, cells[i]);
        else
            text += TsvField(cells[i]);
    }
    text += csv ? QLatin1String("\r\n") : QLatin1String("\n");
}

} // namespace

QString TableText(const CTvdBasicListObject& list, const CTvdTypeInfo& recordType, bool csv,
                  const std::vector<std::string>& leftOut)
{
    std::vector<int> members;
    QStringList header;
    for (int i = 0; i < recordType.memberCount(); ++i) {
        const std::string name = recordType.memberTable()[i].name;
        if (std::find(leftOut.begin(), leftOut.end(), name) != leftOut.end())
            continue;
        members.push_back(i);
        header.append(QString::fromStdString(name));
    }
    QString text;
    appendLine(text, header, csv);
    for (int row = 0; row < list.count(); ++row) {
        QStringList cells;
        for (int member : members)
            cells.append(cellText(list.element(row), member));
        appendLine(text, cells, csv);
    }
    return text;
}
