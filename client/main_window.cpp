#include "main_window.h"

#include "TVGUICommon.h"
#include "business_functions.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

MainWindow::MainWindow(const MSysmgntDef::SOperator& op, const QString& service, ModuleLoader& module)
    : operator_(op), module_(module), mdi_(new QMdiArea)
{
    setWindowTitle("远程写卡管理");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    createMenus();
    statusBar()->addWidget(new QLabel(QString("操作员：%1（%2）").arg(QString::fromStdString(op.OP_NAME),
                                                                  QString::fromStdString(op.LOGIN_NAME))));
    statusBar()->addPermanentWidget(new QLabel("服务：" + service));
    if (!module_.loaded()) {
        statusBar()->addPermanentWidget(new QLabel("业务模块未加载"));
        functions_->setEnabled(false);
    }
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { updateActions(); });
    updateActions();
    resize(1100, 760);
}

void MainWindow::createMenus()
{
    functions_ = menuBar()->addMenu("远程写卡(&R)");
    for (const auto& function : BusinessFunctions()) {
        const int code = function.code;
        functions_->addAction(function.caption, this, [this, code] { openFunction(code); });
    }
    functions_->addSeparator();
    functions_->addAction("按功能代码打开…", this, [this] { openByCode(); });

    QMenu* window = menuBar()->addMenu("窗口(&W)");
    windowActions_ = {window->addAction("平铺", mdi_, &QMdiArea::tileSubWindows),
                      window->addAction("层叠", mdi_, &QMdiArea::cascadeSubWindows),
                      window->addAction("关闭全部", mdi_, &QMdiArea::closeAllSubWindows)};
    menuBar()->addMenu("系统(&S)")->addAction("退出", this, &QWidget::close);
}

void MainWindow::updateActions()
{
    const bool any = !mdi_->subWindowList().isEmpty();
    for (QAction* action : windowActions_)
        action->setEnabled(any);
}

QWidget* MainWindow::openFunction(int code)
{
    TfrmMDIChild* form = module_.createForm(code, &operator_);
    if (form == nullptr)
        return nullptr;
    QMdiSubWindow* frame = mdi_->addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowTitle(form->Caption());
    frame->resize(form->size().expandedTo(QSize(700, 520)));
    frame->show();
    updateActions();
    return frame;
}

void MainWindow::openByCode()
{
    bool ok = false;
    const int code = QInputDialog::getInt(this, "按功能代码打开", "功能代码：", 10150173, 0, 99999999, 1, &ok);
    if (ok && openFunction(code) == nullptr)
        ShowGUIMessage("无法打开功能窗口 %d：没有这个功能，或窗口初始化失败。", "提示", 64, code);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}
