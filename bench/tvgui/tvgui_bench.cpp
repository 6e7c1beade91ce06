// List fill, sort and export, and card-file import against plain containers or the list's own
// fill, measured in the same run.
#include "TVGUICommon.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 17;
constexpr int kRepeats = 3;

// The best of a few runs, in milliseconds.
double bestMs(const std::function<void()>& run)
{
    double best = 1e300;
    for (int i = 0; i < kRepeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void report(const char* name, double ms, double baselineMs)
{
    std::printf("%s: %.1f ms vs baseline %.1f ms, ratio %.2f\n", name, ms, baselineMs,
                ms / baselineMs);
}

QString cell(int row, int column)
{
    return QString::number(460000000000000LL + row * 31LL + column);
}

QStringList subItems(int row)
{
    QStringList items;
    items.reserve(kColumns - 1);
    for (int column = 1; column < kColumns; ++column)
        items.append(cell(row, column));
    return items;
}

void benchListFill()
{
    TListViewEx list;
    std::vector<std::pair<QString, int>> columns(kColumns, {"列", 80});
    list.setColumns(columns);
    const double fill = bestMs([&] {
        list.clear();
        list.beginUpdate();
        for (int row = 0; row < kRows; ++row)
            list.addRow(cell(row, 0), subItems(row));
        list.endUpdate();
    });
    const double vector = bestMs([] {
        std::vector<QStringList> rows;
        rows.reserve(kRows);
        for (int row = 0; row < kRows; ++row) {
            QStringList cells;
            cells.reserve(kColumns);
            for (int column = 0; column < kColumns; ++column)
                cells.append(cell(row, column));
            rows.push_back(std::move(cells));
        }
    });
    report("list fill 100000 x 17 (TListViewEx vs std::vector<QStringList>)", fill, vector);
}

// Rows in a scrambled order with a Chinese column, so that sorting has work to do.
QStringList scrambledRow(int row)
{
    QStringList cells = subItems(row);
    cells[0] = QString::number((row * 7919LL) % kRows);
    cells[1] = QString("北京分公司%1").arg((row * 104729LL) % kRows);
    return cells;
}

void benchSortAndExport()
{
    TListViewEx list;
    list.setColumns(std::vector<std::pair<QString, int>>(kColumns, {"列", 80}));
    const double fill = bestMs([&] {
        list.sortByColumn(-1, Qt::AscendingOrder);
        list.clear();
        list.beginUpdate();
        for (int row = 0; row < kRows; ++row)
            list.addRow(cell(row, 0), scrambledRow(row));
        list.endUpdate();
    });
    const double sort = bestMs([&] {
                            list.sortByColumn(-1, Qt::AscendingOrder);
                            list.sortByColumn(1, Qt::AscendingOrder);
                            list.sortByColumn(2, Qt::DescendingOrder);
                        }) /
                        2;
    QTemporaryDir dir;
    QString problem;
    const double exportMs = bestMs([&] { problem = list.exportCsv(dir.filePath("list.csv")); });
    if (!problem.isEmpty())
        std::fprintf(stderr, "export failed: %s\n", qPrintable(problem));
    report("sort 100000 x 17 by one column (vs filling the list with the same rows)", sort, fill);
    report("export 100000 x 17 to CSV (vs filling the list with the same rows)", exportMs, fill);
    report("sort and export 100000 x 17 (vs filling the list with the same rows, aim <= 3)",
           sort + exportMs, fill);
}

QByteArray cardFile()
{
    QByteArray bytes = "IMSI SIM PIN1 PIN2 PUK1 PUK2 KI\n";
    for (int row = 0; row < kRows; ++row)
        bytes += QString("4600%1 8986%2 1234 5678 12345678 87654321 %3\n")
                     .arg(row, 11, 10, QChar('0'))
                     .arg(row, 16, 10, QChar('0'))
                     .arg(QString::number(row, 16).rightJustified(32, '0'))
                     .toUtf8();
    return bytes;
}

void benchImport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cards.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(cardFile()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return;
    }
    file.close();

    RecordingInteraction gui;
    GuiInteraction* previous = setGuiInteraction(&gui);
    TListViewEx list;
    list.setColumns(std::vector<std::pair<QString, int>>(kColumns, {"列", 80}));
    CImportUtil importer;
    const double import = bestMs([&] {
        gui.nextFile(path);
        importer.ImportListView(&list, 2, ".txt", 0, 0);
    });
    setGuiInteraction(previous);
    if (list.rowCount() != kRows || !gui.messages().empty()) {
        std::fprintf(stderr, "import loaded %d rows\n", list.rowCount());
        return;
    }
    std::size_t lines = 0;
    const double split = bestMs([&] {
        QFile input(path);
        input.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(input.readAll());
        std::vector<QStringList> rows;
        for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
            QStringList fields;
            for (QStringView field : line.split(u' ', Qt::SkipEmptyParts))
                fields.append(field.toString());
            rows.push_back(std::move(fields));
        }
        lines = rows.size();
    });
    report("import 100000-line card file (read + parse + fill vs read + split into strings)",
           import, split);
    if (lines != kRows + 1)
        std::fprintf(stderr, "baseline split %zu lines\n", lines);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchListFill();
    benchSortAndExport();
    benchImport();
    return 0;
}
