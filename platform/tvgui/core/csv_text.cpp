#include "csv_text.h"

void AppendCsvField(QString& line, const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r')) {
        line += text;
        return;
    }
    line += u'"';
    line += QString(text).replace(u'"', QLatin1String("\"\""));
    line += u'"';
}

QString TsvField(const QString& text)
{
    QString field = text;
    field.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return field;
}
