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

// The wait box with a count while a large file (over about a second's work) is read into the
// list, so that the window keeps painting; a small file shows none.
class ImportProgress {
public:
    explicit ImportProgress(qint64 bytes) : shown_(bytes >= kProgressBytes)
    {
        if (shown_)
            ShowWaitBox("正在读取导入文件，请稍候...");
    }
    ~ImportProgress() { Close(); }
    ImportProgress(const ImportProgress&) = delete;
    ImportProgress& operator=(const ImportProgress&) = delete;

    void Added(int rows, int total)
    {
        if (shown_ && (rows % kProgressStep == 0 || rows == total))
            UpdateWaitBox(QString("正在导入数据，请稍候...（%1/%2条）")
                              .arg(rows)
                              .arg(total)
                              .toUtf8()
                              .constData());
    }
    void Close()
    {
        if (shown_)
            CloseWaitBox();
        shown_ = false;
    }

private:
    static constexpr qint64 kProgressBytes = 2 << 20; // about 20,000 cards
    static constexpr int kProgressStep = 10000;
    bool shown_;
};

} // namespace

bool CImportUtil::ImportCards(int layout, const char* extension,
                              const std::function<void(int cards)>& start,
                              const std::function<void(CardRow& card)>& take)
{
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
    ImportProgress progress(bytes.size());
    CardFile cards = ParseCardFile(std::move(bytes));
    if (!cards.error.isEmpty()) {
        progress.Close();
        refuse(cards.error);
        return false;
    }
    const int total = static_cast<int>(cards.rows.size());
    start(total);
    for (int i = 0; i < total; ++i) {
        take(cards.rows[static_cast<std::size_t>(i)]);
        progress.Added(i + 1, total);
    }
    return true;
}

bool CImportUtil::ImportListView(TListViewEx* listView, int layout, const char* extension,
                                 int keepRows, int checkRows)
{
    if (listView == nullptr)
        return false;
    bool started = false;
    const bool imported = ImportCards(
        layout, extension,
        [&](int) {
            started = true;
            listView->beginUpdate();
            if (keepRows == 0)
                listView->clear();
        },
        [&](CardRow& card) {
            const int row = listView->addRow(std::move(card.cells));
            if (checkRows != 0)
                listView->setChecked(row, true);
        });
    if (started)
        listView->endUpdate();
    return imported;
}
