// TVGUICommon: the host GUI library as the module calls it, on Qt 6 Widgets.
//
// Messages, the wait box and the interaction seam: GuiInteraction.h (recording for tests:
// RecordingInteraction.h). The report list view: TListViewEx.h. The card-file import:
// CImportUtil.h. This header pulls them all in, as the module expects of one host header.
#pragma once

#include "CImportUtil.h"
#include "GuiInteraction.h"
#include "RecordingInteraction.h"
#include "TListViewEx.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFont>
#include <QGroupBox>
#include <QLineEdit>
#include <QString>
#include <QWidget>

// Base of every business window: an MDI child, put by the host into a QMdiSubWindow.
class TfrmMDIChild : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMDIChild(QWidget* owner = nullptr);
    ~TfrmMDIChild() override;

    // Paints the window now (and whatever else waits to be painted), before a long blocking call.
    void Update();
    // Closes the window, through its MDI frame when it has one; the host's frame deletes itself
    // and the window on close. False when the close was refused.
    bool Close();
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    // Number edits: only digits and editing keys (backspace, delete, arrows, home, end, tab,
    // enter, escape, and anything with ctrl such as ctrl+A/C/V/X/Z) reach the edit; text from an
    // input method is reduced to its digits. Installing it twice has no further effect.
    static void OnEditKeyPress(QLineEdit* edit);
    // Number edits: pasted text (ctrl+V, shift+Insert, the context menu's paste, middle click)
    // is inserted as its digits only, so "138 0013-8000" pastes as "13800138000" and a text
    // without digits pastes nothing. Text dragged in is accepted only when all digits.
    static void OnEditPaste(QLineEdit* edit);
};

// The control stops taking input / takes input again. QLineEdit: read-only with a grey
// background (still focusable and copyable); QComboBox, QCheckBox, QDateTimeEdit, QPushButton
// and every other widget: disabled / enabled. Null is ignored.
void MakeReadOnly(QWidget* control);
void MakeDefault(QWidget* control);

// Selects the item whose text equals text exactly. With no such item nothing is selected
// (index -1, the combo box shows empty), so that a record without a value does not show the
// value of the record before it.
void PostionComboBoxItem(QComboBox* comboBox, const QString& text);
void PostionComboBoxItem(QComboBox* comboBox, const char* text);

// The forms' font: 宋体 9 pt, falling back to another CJK font where it is missing.
QFont FormFont();
// The light-blue group box (rgb(205,215,255)) that every window's areas are.
QGroupBox* MakeGroupBox(QWidget* parent, const QString& caption);

// A date (or time) picker. Values are also read and written as TDateTime: days since
// 1899-12-30, the fraction being the time of day (for negative values too: -1.25 is
// 1899-12-29 06:00). Times are wall-clock times, to the millisecond.
class TFlatDateTimePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    enum class Kind { Date, Time };

    explicit TFlatDateTimePicker(QWidget* parent = nullptr, Kind kind = Kind::Date);
    Kind kind() const { return kind_; }
    // Date: "yyyy-MM-dd" with a calendar popup; Time: "HH:mm:ss" without.
    void setKind(Kind kind);

    double DateTime() const;
    // A value the edit cannot show (not finite, or outside its date range) is ignored.
    void setDateTime(double value);
    using QDateTimeEdit::setDateTime;

    static double toTDateTime(const QDateTime& value);
    static QDateTime fromTDateTime(double value); // invalid when not finite or past year 9999

private:
    Kind kind_ = Kind::Date;
};
