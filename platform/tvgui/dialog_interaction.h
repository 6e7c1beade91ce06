// The default interaction: real Qt message boxes, the wait box and the file dialog.
#pragma once

#include "GuiInteraction.h"

#include <QList>
#include <QMessageBox>

#include <memory>

class WaitBox;

// A Win32 flag value in Qt's terms: what the message box of DialogInteraction shows.
struct QtMessageBoxStyle {
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons; // in screen order
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};
QtMessageBoxStyle QtMessageBoxStyleOf(int flags);
// The Win32 id of a Qt button; IDCANCEL for a button that is not one of the mapped ones.
int Win32ButtonId(QMessageBox::StandardButton button);

class DialogInteraction : public GuiInteraction {
public:
    DialogInteraction();
    ~DialogInteraction() override;

    int message(const QString& text, const QString& caption, int flags) override;
    void waitShow(const QString& text) override;
    void waitUpdate(const QString& text) override;
    void waitClose() override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& suggestedName) override;

private:
    std::unique_ptr<WaitBox> waitBox_;
};
