// CImportUtil: choosing a card file and loading it into a list view.
#include "CImportUtil.h"

#include "GuiInteraction.h"
#include "TListViewEx.h"

namespace {

QString nameFilter(const char* extension)
{
    QString ext = QString::fromUtf8(extension == nullptr ? "" : extension).trimmed();
    if (!ext.isEmpty() && !ext.startsWith('.'))
        ext.prepend('.');
    const QString all = "所有文件 (*)";
    return ext.isEmpty() ? all : QString("文本文件 (*%1);;%2").arg(ext, all);
}

void refuse(const QString& text)
{
    ShowGUIMessage("%s", "提示", MB_ICONHAND, text.toUtf8().constData());
}

} // namespace

bool CImportUtil::ImportListView(TListViewEx* listView, int layout, const char* extension,
                                 int keepRows, int checkRows)
{
    if (listView == nullptr)
        return false;
    if (layout != kCardLayout) {
        ShowGUIMessage("不支持的导入格式%d，未导入任何数据。", "提示", MB_ICONHAND, layout);
        return false;
    }
    const QString path = guiInteraction().openFileName("导入卡数据文件", nameFilter(extension));
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    if (QString problem; !ReadCardFile(path, bytes, problem)) {
        refuse(problem);
        return false;
    }
    const CardFile cards = ParseCardFile(bytes);
    bytes.clear();
    if (!cards.error.isEmpty()) {
        refuse(cards.error);
        return false;
    }
    listView->beginUpdate();
    if (keepRows == 0)
        listView->clear();
    for (const CardRow& card : cards.rows) {
        const int row = listView->addRow(card.caption, card.subItems);
        if (checkRows != 0)
            listView->setChecked(row, true);
    }
    listView->endUpdate();
    return true;
}
