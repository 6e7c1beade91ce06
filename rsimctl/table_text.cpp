#include "table_text.h"

#include "csv_text.h"
#include "tvd_json.h"
#include "tvd_json_tree.h"

#include <algorithm>

namespace {

QString cellText(const nlohmann::json& value)
{
    if (value.is_null())
        return {};
    return QString::fromStdString(value.is_string() ? value.get<std::string>() : value.dump());
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
    std::vector<std::string> names;
    QStringList header;
    for (int i = 0; i < recordType.memberCount(); ++i) {
        const std::string name = recordType.memberTable()[i].name;
        if (std::find(leftOut.begin(), leftOut.end(), name) != leftOut.end())
            continue;
        names.push_back(name);
        header.append(QString::fromStdString(name));
    }
    QString text;
    appendLine(text, header, csv);
    const nlohmann::json records = tvd::wire::encode(list);
    for (const nlohmann::json& record : records) {
        QStringList cells;
        for (const std::string& name : names)
            cells.append(cellText(record.contains(name) ? record[name] : nlohmann::json()));
        appendLine(text, cells, csv);
    }
    return text;
}
