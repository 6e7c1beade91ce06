// The MDI host: a menu of the business functions, their windows, and who is logged in where.
#pragma once

#include "module_loader.h"
#include "sysmgnt_def_tvd_c.h"

#include <QMainWindow>

class QMdiArea;
class QMenu;
class QAction;

class MainWindow : public QMainWindow {
public:
    MainWindow(const MSysmgntDef::SOperator& op, const QString& service, ModuleLoader& module);

    // Opens the window of a function code; the sub-window, or null (the module said why).
    QWidget* openFunction(int code);
    QMdiArea* mdiArea() const { return mdi_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void openByCode();
    void updateActions();

    MSysmgntDef::SOperator operator_;
    ModuleLoader& module_;
    QMdiArea* mdi_;
    QMenu* functions_ = nullptr;
    std::vector<QAction*> windowActions_;
};
