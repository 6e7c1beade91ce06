// TListViewEx: copying rows and exporting the list, both as the list shows them.
#include "list_model.h"

#include "GuiInteraction.h"
#include "csv_text.h"

#include <QApplication>
#include <QClipboard>
#include <QSaveFile>

namespace {

constexpr qsizetype kCsvChunkChars = 1 << 20;

} // namespace

// A column of width 0 shows nothing, so it is neither copied nor exported.
std::vector<int> TListViewEx::shownColumns() const
{
    std::vector<int> columns;
    for (int column = 0; column < columnCount(); ++column)
        if (!isColumnHidden(column) && columnWidth(column) > 0)
            columns.push_back(column);
    return columns;
}

QString TListViewEx::selectedRowsText() const
{
    const std::vector<int> columns = shownColumns();
    auto line = [&](auto textOf) {
        QStringList fields;
        for (int column : columns)
            fields.append(TsvField(textOf(column)));
        return fields.join(u'\t') + u'\n';
    };
    QString text = line([this](int column) {
        return shown_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    });
    for (int row : selectedRows())
        text += line([&](int column) { return cellText(row, column); });
    return text;
}

void TListViewEx::copySelectedRows()
{
    if (!selectedRows().empty())
        QApplication::clipboard()->setText(selectedRowsText());
}

QString TListViewEx::exportCsv(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const std::vector<int> columns = shownColumns();
    QString chunk = QStringLiteral("\uFEFF"); // the byte-order mark tells a spreadsheet it is UTF-8
    auto endLine = [&] {
        chunk += QLatin1String("\r\n");
        if (chunk.size() >= kCsvChunkChars) {
            file.write(chunk.toUtf8());
            chunk.clear();
        }
    };
    auto appendLine = [&](auto textOf) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                chunk += u',';
            AppendCsvField(chunk, textOf(columns[i]));
        }
        endLine();
    };
    appendLine([this](int column) {
        return shown_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    });
    for (int position = 0; position < sorted_->rowCount(); ++position) {
        const int row = shownRow(position);
        appendLine([this, row](int column) { return cellText(row, column); });
    }
    file.write(chunk.toUtf8());
    if (!file.commit())
        return file.errorString();
    return {};
}

void TListViewEx::exportToChosenFile()
{
    const QString path = guiInteraction().saveFileName("导出列表", "CSV文件 (*.csv)", "列表.csv");
    if (path.isEmpty())
        return;
    const QString problem = exportCsv(path);
    if (problem.isEmpty())
        ShowGUIMessage("已导出%d行到文件 %s。", "提示", MB_ICONINFORMATION, rowCount(),
                       path.toUtf8().constData());
    else
        ShowGUIMessage("导出到文件 %s 失败：%s", "提示", MB_ICONHAND, path.toUtf8().constData(),
                       problem.toUtf8().constData());
}
