#include "dialog_interaction.h"

#include "wait_box.h"

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>

namespace {

QMessageBox::Icon qtIcon(int icon)
{
    switch (icon) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButton qtButton(int id)
{
    switch (id) {
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

} // namespace

QtMessageBoxStyle QtMessageBoxStyleOf(int flags)
{
    const MessageBoxStyle style = MessageBoxStyleOf(flags);
    QtMessageBoxStyle qt{
        qtIcon(style.icon), {}, qtButton(style.defaultButton), qtButton(style.escapeButton)};
    for (int id : style.buttons)
        qt.buttons.append(qtButton(id));
    return qt;
}

int Win32ButtonId(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
    }
}

DialogInteraction::DialogInteraction() : waitBox_(std::make_unique<WaitBox>())
{}

DialogInteraction::~DialogInteraction() = default;

int DialogInteraction::message(const QString& text, const QString& caption, int flags)
{
    const QtMessageBoxStyle style = QtMessageBoxStyleOf(flags);
    QMessageBox box(style.icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    for (QMessageBox::StandardButton button : style.buttons)
        box.addButton(button);
    box.setDefaultButton(style.defaultButton);
    box.setEscapeButton(style.escapeButton);
    // The wait box stays on top: it steps aside while a message is up, and comes back after.
    const bool waiting = waitBox_->isShown();
    const QString waitText = waitBox_->text();
    if (waiting)
        waitBox_->close();
    const int answer = Win32ButtonId(static_cast<QMessageBox::StandardButton>(box.exec()));
    if (waiting)
        waitBox_->show(waitText);
    return answer;
}

void DialogInteraction::waitShow(const QString& text)
{
    waitBox_->show(text);
}

void DialogInteraction::waitUpdate(const QString& text)
{
    waitBox_->setText(text);
}

void DialogInteraction::waitClose()
{
    waitBox_->close();
}

QString DialogInteraction::openFileName(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QString(), filter);
}

QString DialogInteraction::saveFileName(const QString& caption, const QString& filter,
                                        const QString& suggestedName)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, suggestedName,
                                        filter);
}
