#include "focus_exit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>

namespace rsimform {
namespace {

class ExitFilter : public QObject {
public:
    ExitFilter(QWidget* window, QWidget* control, std::function<void()> onExit)
        : QObject(control), window_(window), onExit_(std::move(onExit))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut &&
            MovesWithinWindow(watched, static_cast<QFocusEvent*>(event)))
            onExit_();
        return QObject::eventFilter(watched, event);
    }

private:
    bool MovesWithinWindow(QObject* watched, const QFocusEvent* event) const
    {
        switch (event->reason()) {
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
        case Qt::MenuBarFocusReason:
        case Qt::NoFocusReason: return false;
        default: break;
        }
        // The focus widget is already the one that takes the focus.
        QWidget* next = QApplication::focusWidget();
        return window_ && next != nullptr && next != watched && window_->isAncestorOf(next);
    }

    QPointer<QWidget> window_;
    std::function<void()> onExit_;
};

} // namespace

void OnExitToControlOf(QWidget* window, QWidget* control, std::function<void()> onExit)
{
    control->installEventFilter(new ExitFilter(window, control, std::move(onExit)));
}

} // namespace rsimform
