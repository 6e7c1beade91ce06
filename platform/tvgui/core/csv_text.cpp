#include "csv_text.h"

#include <QRegularExpression>

QString SpreadsheetSafe(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    static const QString triggers = QStringLiteral("=+-@\t\r");
    const bool wouldRun =
        !text.isEmpty() && triggers.contains(text.front()) && !number.match(text).hasMatch();
    return wouldRun ? u'\'' + text : text;
}

void AppendCsvField(QString& line, const QString& text)
{
    const QString shown = SpreadsheetSafe(text);
    if (!shown.contains(u',') && !shown.contains(u'"') && !shown.contains(u'\n') &&
        !shown.contains(u'\r')) {
        line += shown;
        return;
    }
    line += u'"';
    line += QString(shown).replace(u'"', QLatin1String("\"\""));
    line += u'"';
}

QString TsvField(const QString& text)
{
    QString field = SpreadsheetSafe(text);
    field.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return field;
}
