// The wait box: a small frameless window with a text, shown over the active window while the
// GUI thread is blocked, with the busy cursor.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>

class WaitBox {
public:
    WaitBox();
    ~WaitBox();
    WaitBox(const WaitBox&) = delete;
    WaitBox& operator=(const WaitBox&) = delete;

    void show(const QString& text);
    void setText(const QString& text); // only while shown
    void close();
    bool isShown() const;
    QString text() const;

private:
    void build();
    void centreOverActiveWindow();

    QPointer<QWidget> window_;
    QPointer<QLabel> label_;
    bool busyCursor_ = false;
};
