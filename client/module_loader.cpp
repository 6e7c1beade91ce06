#include "module_loader.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

bool ModuleLoader::load(const QString& path)
{
    path_ = path;
    void* handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_GLOBAL);
    if (handle == nullptr) {
        error_ = QString("无法加载业务模块 %1：%2").arg(path, QString::fromLocal8Bit(dlerror()));
        return false;
    }
    create_ = reinterpret_cast<CreateBusinessFormFn>(dlsym(handle, "CreateBusinessForm"));
    if (create_ == nullptr) {
        error_ = QString("业务模块 %1 没有导出 CreateBusinessForm").arg(path);
        return false;
    }
    return true;
}

TfrmMDIChild* ModuleLoader::createForm(int code, MSysmgntDef::SOperator* op) const
{
    return create_ != nullptr ? create_(code, op) : nullptr;
}

QString ModuleLoader::defaultPath()
{
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {folder + "/libresremotesim.so", folder + "/../lib/libresremotesim.so"})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    return "libresremotesim.so";
}
