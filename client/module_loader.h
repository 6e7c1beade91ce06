// Loads the business module and finds its CreateBusinessForm. Loading is separate from calling,
// and the library is never unloaded: windows it created may live until the process ends.
#pragma once

#include "CreateBusinessForm.h"

#include <QString>

class ModuleLoader {
public:
    // True when the library loaded and exports CreateBusinessForm; otherwise error() names the
    // library and what is missing.
    bool load(const QString& path);
    bool loaded() const { return create_ != nullptr; }
    const QString& error() const { return error_; }

    // The window of the function code, or null (none loaded, or the module refused).
    TfrmMDIChild* createForm(int code, MSysmgntDef::SOperator* op) const;

    // The module next to the executable, else in the build's library folder, else the bare
    // name for the dynamic linker's search.
    static QString defaultPath();

private:
    CreateBusinessFormFn create_ = nullptr;
    QString error_;
};
