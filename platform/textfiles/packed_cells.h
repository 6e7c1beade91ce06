// A row of cell texts held in one block: where each cell ends, then the UTF-8 texts one after
// another. A list of a million imported cards then costs one allocation per row, not one per
// cell, and about half the bytes of UTF-16 texts.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class PackedCells {
public:
    PackedCells() = default;
    explicit PackedCells(std::span<const QStringView> texts);
    explicit PackedCells(std::span<const std::string_view> utf8) : block_(pack(utf8)) {}
    // The first cell, then the others: a list row's caption and sub-items.
    PackedCells(QStringView first, const QStringList& rest);

    int count() const;
    // Empty beyond the last cell.
    std::string_view utf8(int cell) const;
    QString text(int cell) const { return QString::fromUtf8(utf8(cell)); }
    // Cells up to this one are added, empty, when there were fewer.
    void setText(int cell, QStringView text);

private:
    static std::string pack(std::span<const std::string_view> texts);
    std::uint32_t header(int slot) const;

    std::string block_; // count, the ends of the cells, then the texts; empty: no cells
};
