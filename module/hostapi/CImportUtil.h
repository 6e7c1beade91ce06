// Loading a vendor's card-data text file into a list view.
//
// One card per line; fields separated by blanks, tabs, commas, semicolons or "|"; seven fields
// (IMSI, SIM number, PIN1, PIN2, PUK1, PUK2, KI) or eight (a further field before the KI).
// Blank lines, comments and header lines — any line whose first non-blank character is not a
// digit — are skipped. UTF-8 (with or without BOM) or GBK, detected. A file with any other line
// is refused whole with the numbers of its first bad lines. docs/import-format.md says more.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

class TListViewEx;

struct CardFile {
    // Per card: caption (IMSI) and the sub-items of columns 1 to 7 (SIM number, PIN1, PIN2,
    // PUK1, PUK2, the extra field or empty, KI).
    std::vector<QStringList> rows;
    QString error;            // empty when the file is good
    std::vector<int> badLines; // 1-based, when lines had the wrong number of fields
};

// Lines longer than this are refused: no card-data line comes near it.
constexpr int kMaxCardLineBytes = 4096;

CardFile ParseCardFile(const QByteArray& bytes);

class CImportUtil {
public:
    // Asks for a file with the extension through the interaction seam and loads its cards into
    // the list view. layout 2 is the card-data layout above (the only one); append 1 keeps the
    // rows already listed, 0 empties the list first; checked 1 ticks the loaded rows. True when
    // rows were loaded; false when the user cancelled or the file was refused (after a message).
    bool ImportListView(TListViewEx* listView, int layout, const char* extension, int append,
                        int checked);
};
