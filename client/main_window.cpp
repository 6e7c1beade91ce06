#include "main_window.h"

#include "TVGUICommon.h"
#include "client_settings.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

namespace {

// Counts the messages shown while it lives, passing every interaction on to the one it replaced.
class MessageWatch : public GuiInteraction {
public:
    MessageWatch() : target_(guiInteraction()), previous_(setGuiInteraction(this)) {}
    ~MessageWatch() override { setGuiInteraction(previous_); }
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;

    bool anyShown() const { return shown_ > 0; }

    int message(const QString& text, const QString& caption, int flags) override
    {
        ++shown_;
        return target_.message(text, caption, flags);
    }
    void waitShow(const QString& text) override { target_.waitShow(text); }
    void waitUpdate(const QString& text) override { target_.waitUpdate(text); }
    void waitClose() override { target_.waitClose(); }
    QString openFileName(const QString& caption, const QString& filter) override
    {
        return target_.openFileName(caption, filter);
    }
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& suggestedName) override
    {
        return target_.saveFileName(caption, filter, suggestedName);
    }

private:
    GuiInteraction& target_;
    GuiInteraction* previous_;
    int shown_ = 0;
};

// Remembers a window's column widths when its frame closes, while the window still lives.
class ColumnWidthKeeper : public QObject {
public:
    ColumnWidthKeeper(int code, QWidget* form, QMdiSubWindow* frame)
        : QObject(frame), code_(code), form_(form)
    {
        frame->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            ClientSettings().saveColumnWidths(code_, *form_);
        return false;
    }

private:
    int code_;
    QWidget* form_;
};

void say(const QString& text, const char* caption, int icon)
{
    ShowGUIMessage("%s", caption, MB_OK | icon, text.toUtf8().constData());
}

QString cannotOpen(int code, const ModuleLoader& module)
{
    const QString text = QString("无法打开功能窗口 %1").arg(code);
    return module.caption(code).isEmpty() ? text + "：没有这个功能代码。" : text;
}

} // namespace

MainWindow::MainWindow(const MSysmgntDef::SOperator& op, const QString& service,
                       const ModuleLoader& module)
    : operator_(op), module_(module), mdi_(new QMdiArea)
{
    setWindowTitle("远程写卡管理");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    createFunctionMenu();
    createWindowMenu();
    menuBar()
        ->addMenu("系统(&S)")
        ->addAction("退出(&X)", QKeySequence::Quit, this, &QWidget::close);
    createStatusBar(service);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::updateActions);
    updateActions();
    resize(1100, 760);
    ClientSettings().restoreGeometry(*this);
}

// QWidget's destructor still hides the MDI area, which then reports the active window changing:
// this window's members are gone by then.
MainWindow::~MainWindow()
{
    disconnect(mdi_, nullptr, this, nullptr);
}

void MainWindow::createFunctionMenu()
{
    functionMenu_ = menuBar()->addMenu("远程写卡(&R)");
    for (const auto& function : module_.functions()) {
        const int code = function.code;
        functionMenu_->addAction(function.caption, this, [this, code] { openFunction(code); });
    }
    functionMenu_->addSeparator();
    functionMenu_->addAction("按功能代码打开…", this, &MainWindow::openByCode);
    functionMenu_->setEnabled(module_.loaded());
}

void MainWindow::createWindowMenu()
{
    windowMenu_ = menuBar()->addMenu("窗口(&W)");
    windowActions_.push_back(
        windowMenu_->addAction("关闭(&O)", mdi_, &QMdiArea::closeActiveSubWindow));
    windowActions_.push_back(
        windowMenu_->addAction("全部关闭(&A)", mdi_, &QMdiArea::closeAllSubWindows));
    windowMenu_->addSeparator();
    windowActions_.push_back(windowMenu_->addAction("平铺(&T)", mdi_, &QMdiArea::tileSubWindows));
    windowActions_.push_back(
        windowMenu_->addAction("层叠(&C)", mdi_, &QMdiArea::cascadeSubWindows));
    windowMenu_->addSeparator();
    windowActions_.push_back(windowMenu_->addAction("下一个(&N)", QKeySequence::NextChild, mdi_,
                                                    &QMdiArea::activateNextSubWindow));
    windowActions_.push_back(windowMenu_->addAction("上一个(&P)", QKeySequence::PreviousChild, mdi_,
                                                    &QMdiArea::activatePreviousSubWindow));
    windowListStart_ = windowMenu_->addSeparator();
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::updateWindowList);
}

void MainWindow::createStatusBar(const QString& service)
{
    auto* who = new QLabel(QString("操作员：%1（%2）")
                               .arg(QString::fromStdString(operator_.OP_NAME),
                                    QString::fromStdString(operator_.LOGIN_NAME)));
    who->setObjectName("operator");
    statusBar()->addWidget(who);
    if (!module_.loaded()) {
        auto* missing = new QLabel("业务模块未加载");
        missing->setObjectName("module");
        missing->setToolTip(module_.error());
        statusBar()->addPermanentWidget(missing);
    }
    auto* where = new QLabel("服务：" + service);
    where->setObjectName("service");
    statusBar()->addPermanentWidget(where);
}

// The one place that follows the active window: every window action needs one.
void MainWindow::updateActions()
{
    const bool any = !mdi_->subWindowList().isEmpty();
    for (QAction* action : windowActions_)
        action->setEnabled(any);
}

// Lists the open windows below the separator, the active one checked.
void MainWindow::updateWindowList()
{
    const QList<QAction*> actions = windowMenu_->actions();
    for (qsizetype i = actions.indexOf(windowListStart_) + 1; i < actions.size(); ++i)
        delete actions[i];
    int number = 0;
    for (QMdiSubWindow* frame : mdi_->subWindowList()) {
        QAction* action =
            windowMenu_->addAction(QString("&%1 %2").arg(++number).arg(frame->windowTitle()));
        action->setCheckable(true);
        action->setChecked(frame == mdi_->activeSubWindow());
        connect(action, &QAction::triggered, frame,
                [this, frame] { mdi_->setActiveSubWindow(frame); });
    }
}

QMdiSubWindow* MainWindow::openFunction(int code)
{
    TfrmMDIChild* form = nullptr;
    bool explained = false;
    {
        MessageWatch watch;
        form = module_.createForm(code, &operator_);
        explained = watch.anyShown();
    }
    if (form == nullptr) {
        if (!explained)
            say(cannotOpen(code, module_), "提示", MB_ICONEXCLAMATION);
        return nullptr;
    }
    lastCode_ = code;
    ClientSettings().restoreColumnWidths(code, *form);
    QMdiSubWindow* frame = mdi_->addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    new ColumnWidthKeeper(code, form, frame);
    frame->setWindowTitle(form->Caption());
    placeNewWindow(frame);
    frame->show();
    return frame;
}

// As large as the window asks for, within the visible MDI area.
void MainWindow::placeNewWindow(QMdiSubWindow* frame)
{
    const QSize room = mdi_->viewport()->size();
    frame->resize(frame->sizeHint().expandedTo(QSize(720, 520)).boundedTo(room));
}

void MainWindow::openByCode()
{
    bool ok = false;
    const auto& functions = module_.functions();
    const int start = lastCode_ != 0 || functions.empty() ? lastCode_ : functions.front().code;
    const int code =
        QInputDialog::getInt(this, "按功能代码打开", "功能代码：", start, 0, 99999999, 1, &ok);
    if (ok)
        openFunction(code);
}

// Children close first; one that refuses keeps the main window open.
void MainWindow::closeEvent(QCloseEvent* event)
{
    mdi_->closeAllSubWindows();
    if (mdi_->subWindowList().isEmpty()) {
        ClientSettings().saveGeometry(*this);
        event->accept();
    } else
        event->ignore();
}
