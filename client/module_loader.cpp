#include "module_loader.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

constexpr const char* kModuleFile = "libresremotesim.so";
constexpr const char* kEntryPoint = "CreateBusinessForm";
constexpr const char* kMenu = "BusinessFunctions";
// Where `cmake --install` puts the module, relative to the client's folder (packaging/).
constexpr const char* kInstalledModuleFolder = RSIM_INSTALLED_MODULE_FOLDER;

QString lastDlError()
{
    const char* text = dlerror();
    return text != nullptr ? QString::fromLocal8Bit(text) : QString("未知原因");
}

} // namespace

void* ModuleLoader::entry(void* library, const QString& path, const char* name)
{
    dlerror();
    void* address = dlsym(library, name);
    if (address == nullptr)
        error_ = QString("业务模块 %1 没有导出 %2：%3").arg(path, name, lastDlError());
    return address;
}

bool ModuleLoader::load(const QString& path)
{
    create_ = nullptr;
    functions_.clear();
    void* library = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error_ = QString("无法加载业务模块 %1：%2").arg(path, lastDlError());
        return false;
    }
    const auto create = reinterpret_cast<CreateBusinessFormFn>(entry(library, path, kEntryPoint));
    const auto menu = create != nullptr
                          ? reinterpret_cast<BusinessFunctionsFn>(entry(library, path, kMenu))
                          : nullptr;
    if (menu == nullptr)
        return false;
    int count = 0;
    const BusinessFunction* entries = menu(&count);
    for (int i = 0; i < count; ++i)
        functions_.push_back({entries[i].functionCode, QString::fromUtf8(entries[i].caption)});
    create_ = create;
    error_.clear();
    return true;
}

QString ModuleLoader::caption(int code) const
{
    for (const auto& function : functions_)
        if (function.code == code)
            return function.caption;
    return {};
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
