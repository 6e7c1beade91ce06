#include "number_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>
#include <iterator>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), isAsciiDigit);
}

QString digitsOf(const QString& text)
{
    QString digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), isAsciiDigit);
    return digits;
}

// Keys that edit or move rather than type: they carry no printable text, or a modifier that
// makes them a shortcut (ctrl+A/C/V/X/Z and the like).
bool isEditingKey(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    return key.text().isEmpty() || !key.text().at(0).isPrint();
}

// An input method's committed text, reduced to its digits.
bool filterInputMethod(QLineEdit* edit, QInputMethodEvent* event)
{
    if (isDigits(event->commitString()))
        return false;
    QInputMethodEvent digitsOnly;
    digitsOnly.setCommitString(digitsOf(event->commitString()));
    QCoreApplication::sendEvent(edit, &digitsOnly);
    return true;
}

} // namespace

NumberKeyFilter::NumberKeyFilter(QLineEdit* edit) : QObject(edit), edit_(edit)
{
    setObjectName("numberKeyFilter");
}

bool NumberKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return !isEditingKey(*key) && !isDigits(key->text());
    }
    if (event->type() == QEvent::InputMethod)
        return filterInputMethod(edit_, static_cast<QInputMethodEvent*>(event));
    return false;
}

NumberPasteFilter::NumberPasteFilter(QLineEdit* edit) : QObject(edit), edit_(edit)
{
    setObjectName("numberPasteFilter");
}

bool NumberPasteFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
            return false;
        paste(false);
        return true;
    case QEvent::ContextMenu:
        showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::MouseButtonRelease:
        // X11 pastes the selection on a middle click.
        if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton ||
            !QApplication::clipboard()->supportsSelection())
            return false;
        paste(true);
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (isDigits(drop->mimeData()->text()))
            return false;
        drop->ignore();
        return true;
    }
    default: return false;
    }
}

void NumberPasteFilter::paste(bool fromSelection)
{
    if (edit_->isReadOnly())
        return;
    const QClipboard::Mode mode = fromSelection ? QClipboard::Selection : QClipboard::Clipboard;
    edit_->insert(digitsOf(QApplication::clipboard()->text(mode)));
}

// The edit's own menu, with its paste action going through the digit filter.
void NumberPasteFilter::showContextMenu(const QPoint& globalPosition)
{
    QMenu* menu = edit_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        // The paste action is known by its connection; Qt has made it both ways over time.
        const bool wasPaste =
            QObject::disconnect(action, SIGNAL(triggered()), edit_, SLOT(paste())) ||
            QObject::disconnect(action, &QAction::triggered, edit_, &QLineEdit::paste);
        if (wasPaste)
            connect(action, &QAction::triggered, this, [this] { paste(false); });
    }
    menu->popup(globalPosition);
}
