// The card-data text file, read and checked as a whole: shared by the window's import and by
// rsimctl, and needing Qt Core only. docs/import-format.md describes the file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "packed_cells.h"

#include <vector>

// One card as the list shows it: the IMSI (the caption), then columns 1 to 7: SIM number, PIN1,
// PIN2, PUK1, PUK2, the file's extra field (or empty), KI.
struct CardRow {
    PackedCells cells;
    int line = 0; // 1-based line of the file
};

struct CardFile {
    std::vector<CardRow> rows; // empty whenever error is set
    QString error;             // a message for the user; empty when the file is good
    std::vector<int> badLines; // 1-based numbers of lines with the wrong number of fields
};

// Lines longer than this are refused: no card-data line comes near it.
constexpr int kMaxCardLineBytes = 4096;
// Files larger than this are refused before they are read.
constexpr qint64 kMaxCardFileBytes = qint64(256) << 20;

// The file's bytes; false with a message for the user when it cannot be read whole or is larger
// than kMaxCardFileBytes.
bool ReadCardFile(const QString& path, QByteArray& bytes, QString& error);
// Takes the bytes and lets them go once they are decoded, so that a large file is not held twice
// while its rows are made.
CardFile ParseCardFile(QByteArray bytes);
