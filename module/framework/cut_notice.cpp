#include "cut_notice.h"

#include "TListViewEx.h"

#include <QBoxLayout>
#include <QLabel>

namespace rsimform {
namespace {

QLabel* noticeOf(TListViewEx* list)
{
    QWidget* area = list->parentWidget();
    const QString name = list->objectName() + "CutNotice";
    if (auto* notice = area->findChild<QLabel*>(name, Qt::FindDirectChildrenOnly))
        return notice;
    auto* notice = new QLabel(QString::fromUtf8(kCutListNotice), area);
    notice->setObjectName(name);
    notice->setStyleSheet("color: rgb(192, 0, 0);");
    notice->hide();
    if (auto* layout = qobject_cast<QBoxLayout*>(area->layout()))
        layout->insertWidget(layout->indexOf(list) + 1, notice);
    else if (area->layout() != nullptr)
        area->layout()->addWidget(notice);
    return notice;
}

} // namespace

void NoteCutList(TListViewEx* list, int answered)
{
    if (list == nullptr || list->parentWidget() == nullptr)
        return;
    noticeOf(list)->setVisible(answered == kServiceRowCap);
}

} // namespace rsimform
