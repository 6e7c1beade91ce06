// The event filters behind TfrmMDIChild::OnEditKeyPress and OnEditPaste.
#pragma once

#include <QObject>

class QKeyEvent;
class QLineEdit;

// Lets only digits and editing keys through to a line edit.
class NumberKeyFilter : public QObject {
public:
    explicit NumberKeyFilter(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
};

// Reduces text pasted or dropped into a line edit to its digits.
class NumberPasteFilter : public QObject {
public:
    explicit NumberPasteFilter(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paste(bool fromSelection);
    void showContextMenu(const QPoint& globalPosition);

    QLineEdit* edit_;
};
