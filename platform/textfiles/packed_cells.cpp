#include "packed_cells.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kSlot = sizeof(std::uint32_t);

void putSlot(std::string& block, std::size_t slot, std::uint32_t value)
{
    std::memcpy(block.data() + slot * kSlot, &value, kSlot);
}

} // namespace

// The block: slot 0 the number of cells n, slots 1..n where each cell's text ends, counted from
// the start of the texts, then the texts.
std::string PackedCells::pack(std::span<const std::string_view> texts)
{
    const std::size_t headerBytes = (texts.size() + 1) * kSlot;
    std::size_t bytes = headerBytes;
    for (std::string_view text : texts)
        bytes += text.size();
    std::string block(bytes, '\0'); // one allocation: a list of many rows makes one block a row
    putSlot(block, 0, static_cast<std::uint32_t>(texts.size()));
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::memcpy(block.data() + headerBytes + end, texts[i].data(), texts[i].size());
        end += static_cast<std::uint32_t>(texts[i].size());
        putSlot(block, i + 1, end);
    }
    return block;
}

PackedCells::PackedCells(std::span<const QStringView> texts)
{
    std::vector<QByteArray> utf8;
    utf8.reserve(texts.size());
    std::vector<std::string_view> views;
    views.reserve(texts.size());
    for (QStringView text : texts) {
        utf8.push_back(text.toUtf8());
        views.emplace_back(utf8.back().constData(), static_cast<std::size_t>(utf8.back().size()));
    }
    block_ = pack(views);
}

PackedCells::PackedCells(QStringView first, const QStringList& rest)
{
    std::vector<QStringView> texts{first};
    texts.insert(texts.end(), rest.begin(), rest.end());
    *this = PackedCells(std::span<const QStringView>(texts));
}

std::uint32_t PackedCells::header(int slot) const
{
    std::uint32_t value;
    std::memcpy(&value, block_.data() + static_cast<std::size_t>(slot) * kSlot, kSlot);
    return value;
}

int PackedCells::count() const
{
    return block_.empty() ? 0 : static_cast<int>(header(0));
}

std::string_view PackedCells::utf8(int cell) const
{
    if (cell < 0 || cell >= count())
        return {};
    const std::size_t texts = (static_cast<std::size_t>(count()) + 1) * kSlot;
    const std::uint32_t begin = cell == 0 ? 0 : header(cell);
    return std::string_view(block_).substr(texts + begin, header(cell + 1) - begin);
}

void PackedCells::setText(int cell, QStringView text)
{
    if (cell < 0)
        return;
    const QByteArray replacement = text.toUtf8();
    std::vector<std::string_view> texts;
    for (int i = 0; i < std::max(count(), cell + 1); ++i)
        texts.push_back(i == cell ? std::string_view(replacement.constData(),
                                                     static_cast<std::size_t>(replacement.size()))
                                  : utf8(i));
    block_ = pack(texts);
}
