#include "wait_box.h"

#include "TVGUICommon.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

WaitBox::WaitBox() = default;

WaitBox::~WaitBox()
{
    // Static destruction may run after the application object is gone; widgets cannot be
    // deleted then, and the process is ending anyway.
    if (QCoreApplication::instance() != nullptr)
        delete window_;
    if (busyCursor_ && QCoreApplication::instance() != nullptr)
        QApplication::restoreOverrideCursor();
}

void WaitBox::build()
{
    auto* box = new QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    window_ = box;
    window_->setObjectName("waitBox");
    window_->setAttribute(Qt::WA_ShowWithoutActivating); // the window below keeps the focus
    window_->setFont(FormFont());
    window_->setAutoFillBackground(true);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, QColor(205, 215, 255));
    window_->setPalette(palette);
    auto* frame = new QVBoxLayout(window_);
    frame->setContentsMargins(24, 18, 24, 18);
    label_ = new QLabel(window_);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignCenter);
    frame->addWidget(label_);
}

void WaitBox::centreOverActiveWindow()
{
    const QWidget* over = QApplication::activeWindow();
    QRect area = over != nullptr ? over->frameGeometry() : QRect();
    if (area.isEmpty() && QGuiApplication::primaryScreen() != nullptr)
        area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect box(QPoint(), window_->sizeHint());
    box.moveCenter(area.center());
    window_->setGeometry(box);
}

void WaitBox::show(const QString& text)
{
    if (window_ == nullptr)
        build();
    label_->setText(text);
    if (!window_->isVisible()) {
        centreOverActiveWindow();
        window_->show();
        window_->raise();
    } else {
        window_->adjustSize();
    }
    if (!busyCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor_ = true;
    }
    window_->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitBox::setText(const QString& text)
{
    if (!isShown())
        return;
    label_->setText(text);
    window_->adjustSize();
    window_->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitBox::close()
{
    if (window_ != nullptr)
        window_->hide();
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
}

bool WaitBox::isShown() const
{
    return window_ != nullptr && window_->isVisible();
}

QString WaitBox::text() const
{
    return label_ != nullptr ? label_->text() : QString();
}
