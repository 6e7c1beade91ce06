// Loading a card-data text file into a list view. docs/import-format.md describes the file.
//
// One card per line; fields separated by blanks, tabs, commas, semicolons or "|"; seven fields
// (IMSI, SIM number, PIN1, PIN2, PUK1, PUK2, KI) or eight (a further field before the KI).
// Blank lines, comments and header lines — any line whose first non-blank character is not a
// digit — are skipped. UTF-8 (with or without BOM) or GBK, detected. A file with any other line
// is refused whole, with the numbers of its first bad lines.
#pragma once

#include "card_file.h"

#include <functional>

class TListViewEx;

class CImportUtil {
public:
    // The only layout: rows as CardRow describes them.
    static constexpr int kCardLayout = 2;

    // Asks for a file of that extension (".txt") through the interaction seam and appends one
    // row per card to the list view in one batch. layout must be kCardLayout; keepRows 0 empties
    // the list first, otherwise the new rows follow those listed; checkRows non-zero ticks the
    // new rows. True when rows were loaded. False when the dialog was cancelled or the file was
    // refused (after a message, caption "提示", error icon); the list is then unchanged.
    bool ImportListView(TListViewEx* listView, int layout, const char* extension, int keepRows,
                        int checkRows);
    // The same for a list of the caller's: once the file is read whole, start is told the number
    // of cards, then take is given each card in the file's order, with the same wait box.
    bool ImportCards(int layout, const char* extension, const std::function<void(int cards)>& start,
                     const std::function<void(CardRow& card)>& take);
};
