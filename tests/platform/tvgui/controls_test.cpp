// Input states, combo selection and the date picker.
#include "TVGUICommon.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(InputState, LineEditBecomesReadOnlyAndGreyThenEditableWithItsColour)
{
    QLineEdit edit;
    const QColor base = edit.palette().color(QPalette::Base);
    MakeReadOnly(&edit);
    MakeReadOnly(&edit); // twice: the original colour is still the one restored
    EXPECT_TRUE(edit.isReadOnly());
    EXPECT_TRUE(edit.isEnabled()) << "a read-only edit can still be focused and copied from";
    const QColor grey = edit.palette().color(QPalette::Base);
    EXPECT_NE(grey, base);
    EXPECT_TRUE(grey.red() == grey.green() && grey.green() == grey.blue())
        << grey.name().toStdString();

    edit.setEnabled(false);
    MakeDefault(&edit);
    EXPECT_FALSE(edit.isReadOnly());
    EXPECT_TRUE(edit.isEnabled());
    EXPECT_EQ(edit.palette().color(QPalette::Base), base);
    MakeReadOnly(nullptr);
    MakeDefault(nullptr);
}

TEST(ComboPosition, SelectsTheExactTextOrNothing)
{
    QComboBox combo;
    combo.addItems({"[10] 北京", "[1] 上海", "[100] 天津"});
    PostionComboBoxItem(&combo, QString("[1] 上海"));
    EXPECT_EQ(combo.currentIndex(), 1);
    PostionComboBoxItem(&combo, "[100] 天津");
    EXPECT_EQ(combo.currentIndex(), 2);
    PostionComboBoxItem(&combo, "[1]");
    EXPECT_EQ(combo.currentIndex(), -1) << "no prefix match; nothing selected";
    EXPECT_EQ(combo.currentText(), "");

    combo.addItem("");
    PostionComboBoxItem(&combo, QString());
    EXPECT_EQ(combo.currentIndex(), 3) << "an empty item is an item";
    PostionComboBoxItem(nullptr, "x");
}

TEST(DatePicker, TDateTimeRoundTrip)
{
    TFlatDateTimePicker picker;
    picker.setDateTime(45000.5);
    EXPECT_EQ(picker.dateTime(), QDateTime(QDate(2023, 3, 15), QTime(12, 0)));
    EXPECT_DOUBLE_EQ(picker.DateTime(), 45000.5);

    const QDateTime leap(QDate(2024, 2, 29), QTime(18, 0));
    EXPECT_DOUBLE_EQ(TFlatDateTimePicker::toTDateTime(leap), 45351.75);
    EXPECT_EQ(TFlatDateTimePicker::fromTDateTime(0.0), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(TFlatDateTimePicker::fromTDateTime(-1.25),
              QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(TFlatDateTimePicker::toTDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))),
                     -1.25);

    const QDateTime precise(QDate(2001, 9, 9), QTime(23, 59, 59, 999));
    EXPECT_EQ(TFlatDateTimePicker::fromTDateTime(TFlatDateTimePicker::toTDateTime(precise)),
              precise);
    EXPECT_EQ(TFlatDateTimePicker::fromTDateTime(1.0 - 1e-10),
              QDateTime(QDate(1899, 12, 31), QTime(0, 0)))
        << "a time rounded up to midnight is the next day";

    picker.setDateTime(std::numeric_limits<double>::quiet_NaN());
    picker.setDateTime(1e12);
    EXPECT_DOUBLE_EQ(picker.DateTime(), 45000.5) << "values it cannot show are ignored";

    picker.QDateTimeEdit::setDateTime(leap);
    EXPECT_DOUBLE_EQ(picker.DateTime(), 45351.75);
}

} // namespace
