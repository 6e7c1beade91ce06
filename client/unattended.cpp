#include "unattended.h"

#include "main_window.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdio>

namespace {

void printError(const QString& text)
{
    std::fprintf(stderr, "rsimclient: %s\n", text.toUtf8().constData());
}

void settle()
{
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Grows the main window until the sub-window shows the whole of what the form asks for, then
// lets it fill the MDI area, title bar included.
void showWhole(MainWindow& window, QMdiSubWindow* frame)
{
    QWidget* viewport = window.mdiArea()->viewport();
    const QSize missing = frame->sizeHint() - viewport->size();
    window.resize(window.size() + missing.expandedTo(QSize(0, 0)));
    settle();
    frame->setGeometry(viewport->rect());
    settle();
}

bool screenshot(MainWindow& window, const MenuFunction& function, const QString& folder)
{
    QMdiSubWindow* frame = window.openFunction(function.code);
    if (frame == nullptr) {
        printError(QString("功能窗口 %1 %2 没有打开").arg(function.code).arg(function.caption));
        return false;
    }
    showWhole(window, frame);
    const QString file = QDir(folder).filePath(QString::number(function.code) + ".png");
    const bool saved = window.grab().save(file);
    if (!saved)
        printError("无法写入 " + file);
    frame->close();
    settle();
    return saved;
}

} // namespace

int PrintingInteraction::message(const QString& text, const QString& caption, int flags)
{
    std::fprintf(stderr, "[%s] %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    answerNext(MessageBoxStyleOf(flags).buttons.back());
    return RecordingInteraction::message(text, caption, flags);
}

int WriteScreenshots(MainWindow& window, const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        printError("无法创建目录 " + folder);
        return 1;
    }
    window.show();
    settle();
    std::size_t written = 0;
    const auto& functions = window.module().functions();
    for (const auto& function : functions)
        written += screenshot(window, function, folder) ? 1 : 0;
    std::printf("rsimclient: %zu of %zu screenshots in %s\n", written, functions.size(),
                QDir(folder).absolutePath().toUtf8().constData());
    return written == functions.size() && !functions.empty() ? 0 : 1;
}
