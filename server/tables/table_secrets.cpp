// A table's secret columns: sealed as they are written, opened as an answer reads them.
#include "table_parts.h"

#include "tvd_member.h"

#include <iostream>

namespace rsim::tables {

Value Table::valueOf(const CTvdBasicStructObject& record, const Column& c,
                     const secrets::SecretBox& box) const
{
    if (c.secret)
        return box.encrypt(tvd_memberAt<std::string>(record, c.offset),
                           place(c, keyValues(record)));
    return c.value(record, c.offset);
}

secrets::Place Table::place(const Column& c, const Row& key) const
{
    secrets::Place place{name_, c.name, {}};
    for (const auto& value : key)
        place.key.push_back(db::asText(value));
    return place;
}

// A value that does not open (moved from another row, altered, or sealed with a key the key
// file lost) answers as unreadable, and the rest of the answer goes on.
void Table::openRow(std::span<const db::Columns::Cell> cells, const secrets::SecretBox& box,
                    Row& key, RowSecrets& revealed) const
{
    key.clear();
    for (auto& [column, place] : revealed.places)
        place.clearKey();
    for (const int member : keyColumns_) {
        key.push_back(cells[static_cast<std::size_t>(member)].value());
        const std::string text = db::asText(key.back());
        for (auto& [column, place] : revealed.places)
            place.addKey(text);
    }
    for (const auto& [column, place] : revealed.places) {
        try {
            box.decrypt(cells[column].text, place, revealed.opened[column]);
        } catch (const secrets::SecretError& e) {
            std::string keys;
            for (std::size_t i = 0; i < keyNames_.size(); ++i)
                keys += (i ? " " : "") + keyNames_[i] + "=" + db::asText(key[i]);
            std::cerr << "rsimd: " << name_ << "." << columns_[column].name << " of " << keys
                      << ": " << e.what() << std::endl;
            revealed.opened[column] = secrets::kUnreadable;
        }
    }
}

std::vector<secrets::SealedColumn> sealedColumns()
{
    std::vector<secrets::SealedColumn> sealed;
    for (const auto& table : Tables())
        for (const auto& c : table.columns_)
            if (c.secret)
                sealed.push_back({table.name_, c.name, table.keyNames_, ""});
    return sealed;
}

} // namespace rsim::tables
