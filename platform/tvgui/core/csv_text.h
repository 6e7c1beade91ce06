// Text for spreadsheets: CSV as they read it (RFC 4180: fields separated by commas, lines ended
// by CRLF, a field with a comma, quote or line break quoted and its quotes doubled), and
// tab-separated text as they take it from the clipboard. Both keep a cell from running.
#pragma once

#include <QString>

// A text that a spreadsheet would take for a formula (it begins with =, +, -, @, tab or CR) with
// a leading ' so that it is shown and never run; any other text as it is. A number as a whole
// (-12, +3.5) stays as it is: a spreadsheet reads it as that number, and it runs nothing. Every
// cell copied or written for a spreadsheet goes through it.
QString SpreadsheetSafe(const QString& text);
// A CSV field of the text, made safe.
void AppendCsvField(QString& line, const QString& text);
// A cell for tab-separated text, made safe; tabs and line breaks become blanks, so the cell stays
// one.
QString TsvField(const QString& text);
