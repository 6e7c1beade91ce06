// The window base, input states of controls, combo selection and the number-edit filters.
#include "TVGUICommon.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QPushButton>

#include <cmath>

namespace {

bool isDigits(const QString& text)
{
    for (QChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

QString digitsOf(const QString& text)
{
    QString digits;
    for (QChar c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

// Lets digits and editing keys through to a number edit.
class NumberKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        if (key->text().isEmpty() || !key->text().at(0).isPrint())
            return false; // editing and navigation keys
        return !isDigits(key->text());
    }
};

// Inserts only the digits of a pasted text (ctrl+V, shift+Insert).
class NumberPasteFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            auto* edit = static_cast<QLineEdit*>(watched);
            if (!edit->isReadOnly())
                edit->insert(digitsOf(QApplication::clipboard()->text()));
            return true;
        }
        return false;
    }
};

} // namespace

TfrmMDIChild::TfrmMDIChild(QWidget* owner) : QWidget(owner)
{
    QFont font("宋体");
    font.setPointSize(9);
    setFont(font);
}

TfrmMDIChild::~TfrmMDIChild() = default;

void TfrmMDIChild::Update()
{
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TfrmMDIChild::Close()
{
    QWidget* frame = parentWidget();
    return frame != nullptr && frame->inherits("QMdiSubWindow") ? frame->close() : close();
}

void TfrmMDIChild::OnEditKeyPress(QLineEdit* edit)
{
    if (edit != nullptr)
        edit->installEventFilter(new NumberKeyFilter(edit));
}

void TfrmMDIChild::OnEditPaste(QLineEdit* edit)
{
    if (edit == nullptr)
        return;
    edit->installEventFilter(new NumberPasteFilter(edit));
    edit->setContextMenuPolicy(Qt::NoContextMenu); // the menu's paste would bypass the filter
}

void MakeReadOnly(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setReadOnly(true);
        edit->setStyleSheet("background: rgb(236,236,236);");
    } else if (control != nullptr) {
        control->setEnabled(false);
    }
}

void MakeDefault(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setReadOnly(false);
        edit->setStyleSheet(QString());
        edit->setEnabled(true);
    } else if (control != nullptr) {
        control->setEnabled(true);
    }
}

void PostionComboBoxItem(QComboBox* comboBox, const QString& text)
{
    const int index = comboBox != nullptr ? comboBox->findText(text, Qt::MatchExactly) : -1;
    if (index >= 0)
        comboBox->setCurrentIndex(index);
}

QGroupBox* MakeGroupBox(QWidget* parent, const QString& caption)
{
    auto* group = new QGroupBox(caption, parent);
    group->setAutoFillBackground(true);
    QPalette palette = group->palette();
    palette.setColor(QPalette::Window, QColor(205, 215, 255));
    group->setPalette(palette);
    return group;
}

TFlatDateTimePicker::TFlatDateTimePicker(QWidget* parent) : QDateTimeEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat("yyyy-MM-dd");
}

double TFlatDateTimePicker::DateTime() const
{
    const QDateTime value = dateTime();
    const qint64 days = QDate(1899, 12, 30).daysTo(value.date());
    return static_cast<double>(days) + value.time().msecsSinceStartOfDay() / 86400000.0;
}

void TFlatDateTimePicker::setDateTime(double value)
{
    const double whole = std::floor(value);
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    const int msecs = static_cast<int>(std::llround((value - whole) * 86400000.0));
    QDateTimeEdit::setDateTime(QDateTime(date, QTime(0, 0)).addMSecs(msecs));
}
