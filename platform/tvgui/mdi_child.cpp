// The business window's base.
#include "TVGUICommon.h"

#include "number_edit.h"

#include <QApplication>
#include <QMdiSubWindow>

TfrmMDIChild::TfrmMDIChild(QWidget* owner) : QWidget(owner)
{
    setFont(FormFont());
}

TfrmMDIChild::~TfrmMDIChild() = default;

void TfrmMDIChild::Update()
{
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TfrmMDIChild::Close()
{
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    return frame != nullptr ? frame->close() : close();
}

void TfrmMDIChild::OnEditKeyPress(QLineEdit* edit)
{
    if (edit != nullptr &&
        edit->findChild<QObject*>("numberKeyFilter", Qt::FindDirectChildrenOnly) == nullptr)
        edit->installEventFilter(new NumberKeyFilter(edit));
}

void TfrmMDIChild::OnEditPaste(QLineEdit* edit)
{
    if (edit != nullptr &&
        edit->findChild<QObject*>("numberPasteFilter", Qt::FindDirectChildrenOnly) == nullptr)
        edit->installEventFilter(new NumberPasteFilter(edit));
}
