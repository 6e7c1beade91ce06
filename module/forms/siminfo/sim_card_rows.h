// The SIM window's list as a table model over its cards: a row shows a card of the window's query
// result, by its position there, or a staged card (added or imported) held as the texts it shows,
// so that a list of a million imported cards costs one block per card. A row whose cells Modify
// rewrote shows its own texts from then on; the query result itself stays as it was answered.
#pragma once

#include "ResRemoteSimMgnt_tvd_c.h"
#include "packed_cells.h"

#include <QAbstractTableModel>

#include <functional>
#include <string_view>
#include <vector>

class SimCardRows : public QAbstractTableModel {
public:
    // What a column shows of a card, as UTF-8 that stays valid while the card is shown.
    using CellOf =
        std::function<std::string_view(const MResRemoteMgntDef::SRemoteSimInfo&, int column)>;

    SimCardRows(QStringList captions, CellOf cellOf, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Column 0 has a check mark; Qt::EditRole writes a cell's text.
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // One row per card of the list, in its order; the list must outlive the rows or be replaced.
    void Show(const MResRemoteMgntDef::SRemoteSimInfoList* records);
    // A staged card's row; between BeginBatch (with the number of rows to come) and EndBatch
    // without a signal each.
    void Append(PackedCells cells);
    void BeginBatch(int coming);
    void EndBatch();
    // The queried card a row shows; null for a staged card.
    const MResRemoteMgntDef::SRemoteSimInfo* Record(int row) const;
    std::string_view Utf8(int row, int column) const;

private:
    struct Row {
        int position = -1; // in records_; -1 for a staged card
        PackedCells cells; // a staged card's texts, or a queried card's once rewritten
        bool checked = false;
    };

    bool InRange(const QModelIndex& index) const;

    QStringList captions_;
    CellOf cellOf_;
    const MResRemoteMgntDef::SRemoteSimInfoList* records_ = nullptr;
    std::vector<Row> rows_;
    bool batch_ = false;
};
