// Loads the business module, reads its function menu and finds its CreateBusinessForm. Loading
// is separate from calling, and the library is never unloaded: windows it created may live until
// the process ends.
#pragma once

#include "CreateBusinessForm.h"

#include <QString>

#include <vector>

// An entry of the module's function menu.
struct MenuFunction {
    int code;
    QString caption;
};

class ModuleLoader {
public:
    // True when the library loaded and exports CreateBusinessForm and its menu; otherwise error()
    // names the library and what is missing.
    bool load(const QString& path);
    bool loaded() const { return create_ != nullptr; }
    const QString& error() const { return error_; }

    // The module's functions in menu order; none when no module is loaded.
    const std::vector<MenuFunction>& functions() const { return functions_; }
    // The caption of a function code of the menu; empty for a code that is not there.
    QString caption(int code) const;

    // The window of the function code, or null (none loaded, or the module refused).
    TfrmMDIChild* createForm(int code, MSysmgntDef::SOperator* op) const;

    // The module next to the executable, else in the build's library folder, else the bare
    // name for the dynamic linker's search.
    static QString defaultPath();

private:
    // The exported function's address, or null after error_ names it.
    void* entry(void* library, const QString& path, const char* name);

    CreateBusinessFormFn create_ = nullptr;
    std::vector<MenuFunction> functions_;
    QString error_;
};
