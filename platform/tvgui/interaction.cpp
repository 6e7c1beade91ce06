// Message boxes, the wait box and the interaction seam.
#include "TVGUICommon.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

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
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

int win32Button(int qtStandardButton)
{
    switch (qtStandardButton) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

// The real dialogs.
class DialogInteraction : public GuiInteraction {
public:
    int message(const QString& text, const QString& caption, int flags) override
    {
        const MessageBoxStyle style = MessageBoxStyleOf(flags);
        QMessageBox box(qtIcon(style.icon), caption, text, QMessageBox::NoButton,
                        QApplication::activeWindow());
        for (int id : style.buttons)
            box.addButton(qtButton(id));
        box.setDefaultButton(qtButton(style.defaultButton));
        const int escape = style.buttons.size() == 1 ? style.buttons[0] : style.buttons.back();
        box.setEscapeButton(qtButton(escape));
        return win32Button(box.exec());
    }

    void waitShow(const QString& text) override
    {
        if (!waitBox_) {
            waitBox_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint |
                                                              Qt::WindowStaysOnTopHint);
            waitBox_->setObjectName("waitBox");
            auto* layout = new QVBoxLayout(waitBox_.get());
            label_ = new QLabel(waitBox_.get());
            label_->setMargin(18);
            layout->addWidget(label_);
            waitBox_->setStyleSheet("background: rgb(205,215,255); border: 1px solid gray;");
        }
        label_->setText(text);
        waitBox_->adjustSize();
        waitBox_->show();
        waitBox_->raise();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    void waitUpdate(const QString& text) override
    {
        if (!waitBox_ || !waitBox_->isVisible())
            return;
        label_->setText(text);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    void waitClose() override
    {
        if (waitBox_)
            waitBox_->hide();
    }

    QString openFileName(const QString& caption, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QString(), filter);
    }

private:
    std::unique_ptr<QWidget> waitBox_;
    QLabel* label_ = nullptr;
};

GuiInteraction* installed = nullptr;

std::string formatted(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (length <= 0)
        return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

} // namespace

GuiInteraction* setGuiInteraction(GuiInteraction* interaction)
{
    GuiInteraction* previous = installed;
    installed = interaction;
    return previous;
}

GuiInteraction& guiInteraction()
{
    static DialogInteraction dialogs;
    return installed != nullptr ? *installed : dialogs;
}

MessageBoxStyle MessageBoxStyleOf(int flags)
{
    MessageBoxStyle style;
    switch (flags & 0xF) {
    case MB_OKCANCEL: style.buttons = {IDOK, IDCANCEL}; break;
    case MB_YESNOCANCEL: style.buttons = {IDYES, IDNO, IDCANCEL}; break;
    case MB_YESNO: style.buttons = {IDYES, IDNO}; break;
    default: style.buttons = {IDOK}; break;
    }
    const std::size_t defaultIndex = static_cast<std::size_t>((flags >> 8) & 0xF);
    style.defaultButton = style.buttons[std::min(defaultIndex, style.buttons.size() - 1)];
    style.icon = flags & 0xF0;
    return style;
}

int ShowGUIMessage(const char* fmt, const char* caption, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const std::string text = formatted(fmt == nullptr ? "" : fmt, args);
    va_end(args);
    QString shown = QString::fromUtf8(text);
    shown.replace("\r\n", "\n");
    return guiInteraction().message(shown, QString::fromUtf8(caption == nullptr ? "" : caption), flags);
}

void ShowWaitBox(const char* text)
{
    guiInteraction().waitShow(QString::fromUtf8(text));
}

void UpdateWaitBox(const char* text)
{
    guiInteraction().waitUpdate(QString::fromUtf8(text));
}

void CloseWaitBox()
{
    guiInteraction().waitClose();
}

int RecordingInteraction::message(const QString& text, const QString& caption, int flags)
{
    messages_.push_back({text, caption, flags});
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    }
    return MessageBoxStyleOf(flags).buttons.size() > 1 ? questionDefault_ : IDOK;
}

void RecordingInteraction::waitShow(const QString& text)
{
    waitEvents_.append("show:" + text);
    waitOpen_ = true;
}

void RecordingInteraction::waitUpdate(const QString& text)
{
    waitEvents_.append("update:" + text);
}

void RecordingInteraction::waitClose()
{
    waitEvents_.append("close");
    waitOpen_ = false;
}

QString RecordingInteraction::openFileName(const QString&, const QString&)
{
    return files_.isEmpty() ? QString() : files_.takeFirst();
}

void RecordingInteraction::clear()
{
    messages_.clear();
    waitEvents_.clear();
    answers_.clear();
    files_.clear();
}
