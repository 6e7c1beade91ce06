// The MDI host: the menu of the business functions, their windows, and who is logged in where.
#pragma once

#include "module_loader.h"
#include "sysmgnt_def_tvd_c.h"

#include <QMainWindow>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

class MainWindow : public QMainWindow {
public:
    MainWindow(const MSysmgntDef::SOperator& op, const QString& service,
               const ModuleLoader& module);
    ~MainWindow() override;

    // Opens the window of a function code as an MDI child. Null when it did not open: the module
    // said why, or, when it said nothing, this window does.
    QMdiSubWindow* openFunction(int code);
    QMdiArea* mdiArea() const { return mdi_; }
    const ModuleLoader& module() const { return module_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createFunctionMenu();
    void createWindowMenu();
    void createStatusBar(const QString& service);
    void updateActions();
    void updateWindowList();
    void openByCode();
    void placeNewWindow(QMdiSubWindow* frame);

    MSysmgntDef::SOperator operator_;
    const ModuleLoader& module_;
    QMdiArea* mdi_;
    QMenu* functionMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* windowListStart_ = nullptr;
    std::vector<QAction*> windowActions_;
    int lastCode_ = 0;
};
