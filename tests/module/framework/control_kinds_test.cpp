// The kinds of control on their own, what each shows of a member and reads back, and the result
// list's model over the records.
#include "control_kinds.h"
#include "maintenance_form.h"
#include "record_access.h"
#include "record_rows.h"

#include <QAbstractItemModelTester>
#include <QApplication>

#include <gtest/gtest.h>

using namespace rsimform;
using Card = MResRemoteMgntDef::SResRemoteCardType;

namespace {

class Lists : public FormContext {
public:
    const CBasicLookup& CodeList(int) override { return *codes_; }
    const QStringList& ServiceItems(const ServiceList&) override { return items_; }

    std::unique_ptr<CNameCodeLookup> codes_ = MakeNameCodeLookup({{1, "有效"}, {2, "暂停"}});
    QStringList items_{"[C1] 旧名", "[C2] 另一种", "[C1] 新名"};
};

class ControlKinds : public ::testing::Test {
protected:
    QWidget parent_;
    Lists lists_;
    Card card_;
};

// A date picker shows today for a null date and reads the chosen day.
TEST_F(ControlKinds, KindsShowAMemberAndReadItBack)
{
    QWidget* picker = DatePicker()->Create(&parent_, "dtp");
    DatePicker()->Show(picker, card_, Card::idx_STS_DATE, lists_);
    EXPECT_EQ(static_cast<QDateTimeEdit*>(picker)->date(), QDate::currentDate());
    static_cast<QDateTimeEdit*>(picker)->setDate(QDate(2026, 2, 28));
    DatePicker()->Read(picker, card_, Card::idx_STS_DATE, lists_, false);
    EXPECT_TRUE(card_.isSet(Card::idx_STS_DATE));
    EXPECT_EQ(card_.STS_DATE, CBSDateTime(2026, 2, 28));

    // A code without an item leaves the combo without selection and shows as the code.
    const Kind status = CodeListCombo(835);
    auto* statusCombo = static_cast<QComboBox*>(status->Create(&parent_, "cmb"));
    status->Fill(statusCombo, lists_);
    ASSERT_EQ(statusCombo->currentText(), "[1] 有效");
    card_.set_STS(13);
    status->Show(statusCombo, card_, Card::idx_STS, lists_);
    EXPECT_EQ(statusCombo->currentIndex(), -1);
    EXPECT_EQ(status->Cell(card_, Card::idx_STS, lists_), "13");
    // A text member shows the item of the code it holds, or itself when it holds no number.
    for (const auto& [stored, shown] : {std::pair{"2", "[2] 暂停"}, {"双", "双"}}) {
        card_.set_CARD_NAME(stored);
        EXPECT_EQ(status->Cell(card_, Card::idx_CARD_NAME, lists_), shown);
    }
    statusCombo->setCurrentIndex(1);
    status->Read(statusCombo, card_, Card::idx_STS, lists_, false);
    EXPECT_EQ(card_.STS, 2);
    // A shown text reads as its bracketed code, a frame item's that no code list holds too.
    status->Store("[-1] 忽略", card_, Card::idx_STS, lists_);
    EXPECT_EQ(card_.STS, -1);

    // A service combo finds a code from the last item and reads the bracketed code.
    const Kind cards = ServiceCombo(CardTypes());
    auto* cardCombo = static_cast<QComboBox*>(cards->Create(&parent_, "cmb"));
    cards->Fill(cardCombo, lists_);
    card_.set_CARD_TYPE("C1");
    cards->Show(cardCombo, card_, Card::idx_CARD_TYPE, lists_);
    EXPECT_EQ(cardCombo->currentIndex(), 2);
    EXPECT_EQ(cards->Cell(card_, Card::idx_CARD_TYPE, lists_), "[C1] 新名");
    cardCombo->setCurrentIndex(1);
    cards->Read(cardCombo, card_, Card::idx_CARD_TYPE, lists_, false);
    EXPECT_EQ(card_.CARD_TYPE, "C2");
}

// Shows a status as "状态<n>" and counts how often it was asked.
class CountingKind : public ControlKind {
public:
    QWidget* Create(QWidget*, const QString&) const override { return nullptr; }
    void Show(QWidget*, CTvdBasicStructObject&, int, FormContext&) const override {}
    void Read(QWidget*, CTvdBasicStructObject&, int, FormContext&, bool) const override {}
    QString Text(QWidget*) const override { return {}; }
    QString Cell(CTvdBasicStructObject& record, int member, FormContext&) const override
    {
        ++asked;
        return "状态" + memberText(record, member);
    }
    mutable int asked = 0;
};

} // namespace

TEST_F(ControlKinds, AFillAsksAColumnsKindOnceForEachValue)
{
    const auto counting = std::make_shared<CountingKind>();
    const auto other = std::make_shared<CountingKind>();
    const ColumnDeclaration status{"状态", 100, Card::idx_STS, counting};
    const ColumnDeclaration sameValueOtherKind{"状态", 100, Card::idx_STS, other};
    const ColumnDeclaration plain{"名称", 100, Card::idx_CARD_NAME};
    ListCells shown(lists_);
    QStringList cells;
    for (std::int16_t sts : {1, 2, 1, 1, 2, 3}) {
        card_.set_STS(sts);
        card_.set_CARD_NAME("卡" + std::to_string(sts));
        cells.append(shown.Cell(card_, status) + "/" + shown.Cell(card_, sameValueOtherKind) + "/" +
                     shown.Cell(card_, plain));
    }
    EXPECT_EQ(cells, QStringList({"状态1/状态1/卡1", "状态2/状态2/卡2", "状态1/状态1/卡1",
                                  "状态1/状态1/卡1", "状态2/状态2/卡2", "状态3/状态3/卡3"}));
    EXPECT_EQ(counting->asked, 3) << "once for each of the values 1, 2 and 3";
    EXPECT_EQ(other->asked, 3) << "another column's kind is asked for itself";
}

// The result list is a model over the records the window holds: a row shows its record until the
// window writes cells into it, a row appended from the edit area shows no record, and the list
// view shows, sorts and copies the model's rows.
TEST_F(ControlKinds, TheResultListIsAModelOverTheRecords)
{
    MResRemoteMgntDef::SResRemoteCardTypeList cards;
    for (const auto& [code, sts] : {std::pair{"10", 2}, {"9", 1}}) {
        auto& card = *static_cast<Card*>(cards.append());
        card.set_CARD_TYPE(code);
        card.set_STS(static_cast<std::int16_t>(sts));
    }
    RecordRows rows(
        {{"卡类型", 100, Card::idx_CARD_TYPE}, {"状态", 100, Card::idx_STS, CodeListCombo(835)}},
        lists_, nullptr);
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TListViewEx list;
    list.showRows(&rows);
    rows.Show(&cards);
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.cellText(1, 1), "[1] 有效");
    EXPECT_EQ(rows.Record(1), &cards.element(1));

    list.sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(list.shownRow(0), 1) << "9 before 10, as numbers";
    rows.SetCell(0, 0, "=10");
    rows.Append({"11", "[2] 暂停"});
    EXPECT_EQ(rows.Record(2), nullptr);
    list.setSelectedRow(0);
    EXPECT_EQ(list.selectedRowsText(), "卡类型\t状态\n'=10\t[2] 暂停\n");
    rows.Remove(0);
    EXPECT_EQ(rows.Position(0), 1);
    EXPECT_EQ(list.caption(1), "11");
}
