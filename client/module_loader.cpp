#include "module_loader.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

constexpr const char* kModuleFile = "libresremotesim.so";
constexpr const char* kEntryPoint = "CreateBusinessForm";
// Where `cmake --install` puts the module, relative to the client's folder (packaging/).
constexpr const char* kInstalledModuleFolder = RSIM_INSTALLED_MODULE_FOLDER;

QString lastDlError()
{
    const char* text = dlerror();
    return text != nullptr ? QString::fromLocal8Bit(text) : QString("未知原因");
}

} // namespace

bool ModuleLoader::load(const QString& path)
{
    create_ = nullptr;
    void* library = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error_ = QString("无法加载业务模块 %1：%2").arg(path, lastDlError());
        return false;
    }
    dlerror();
    create_ = reinterpret_cast<CreateBusinessFormFn>(dlsym(library, kEntryPoint));
    if (create_ == nullptr) {
        error_ = QString("业务模块 %1 没有导出 %2：%3").arg(path, kEntryPoint, lastDlError());
        return false;
    }
    error_.clear();
    return true;
}

TfrmMDIChild* ModuleLoader::createForm(int code, MSysmgntDef::SOperator* op) const
{
    return create_ != nullptr ? create_(code, op) : nullptr;
}

QString ModuleLoader::defaultPath()
{
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {folder + "/" + kModuleFile, folder + "/../lib/" + kModuleFile,
                                     folder + "/" + kInstalledModuleFolder + "/" + kModuleFile})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    return kModuleFile;
}
