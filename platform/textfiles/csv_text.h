// CSV as spreadsheets read it (RFC 4180): fields separated by commas, lines ended by CRLF, a
// field with a comma, quote or line break quoted and its quotes doubled. And tab-separated text as
// a spreadsheet takes it from the clipboard.
#pragma once

#include <QString>

// A text that a spreadsheet would take for a formula (it begins with =, +, -, @, tab or CR) is
// written with a leading ' so that it is shown and never run. A number as a whole (-12, +3.5) is
// written as it is: a spreadsheet reads it as that number, and it runs nothing.
void AppendCsvField(QString& line, const QString& text);
// A cell for tab-separated text: tabs and line breaks become blanks, so the cell stays one.
QString TsvField(const QString& text);
