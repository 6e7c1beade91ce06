// CSV as spreadsheets read it (RFC 4180): fields separated by commas, lines ended by CRLF, a
// field with a comma, quote or line break quoted and its quotes doubled. And tab-separated text as
// a spreadsheet takes it from the clipboard.
#pragma once

#include <QString>

void AppendCsvField(QString& line, const QString& text);
// A cell for tab-separated text: tabs and line breaks become blanks, so the cell stays one.
QString TsvField(const QString& text);
