// CImportUtil: choosing a card file and loading it into a list view.
#include "CImportUtil.h"

#include "GuiInteraction.h"
#include "TListViewEx.h"

#include <QFile>
#include <QFileInfo>

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

// The file's bytes, or a message for the user when it cannot be read whole.
bool readCardFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QString("无法读取导入文件 %1：%2，未导入任何数据。").arg(path, file.errorString()));
        return false;
    }
    if (file.size() > kMaxCardFileBytes) {
        refuse(QString("导入文件 %1 过大（超过%2MB），不是卡数据文件，未导入任何数据。")
                   .arg(path)
                   .arg(kMaxCardFileBytes >> 20));
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        refuse(QString("读取导入文件 %1 出错：%2，未导入任何数据。").arg(path, file.errorString()));
        return false;
    }
    return true;
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
    if (!readCardFile(path, bytes))
        return false;
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
