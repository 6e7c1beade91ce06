#include "TfrmBareWindow.h"

#include <QLabel>
#include <QVBoxLayout>

TfrmBareWindow::TfrmBareWindow(QWidget* owner, const QString& caption) : TfrmRemoteSimBase(owner)
{
    setCaption(caption);
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(caption, this);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
}

bool TfrmBareWindow::InitForm(int reserved, const MSysmgntDef::SOperator* op)
{
    try {
        remoteSim_.Init(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID);
        if (!sysMgnt_.Init(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID))
            ShowGUIMessage("异常：初始化系统管理接口失败！\n[%s]\n[%s]!", "异常", 64,
                           sysMgnt_.LastError().message.c_str(), sysMgnt_.LastError().hint.c_str());
        return true;
    } catch (const CGUIException& e) {
        ShowException(e);
        return false;
    }
}
