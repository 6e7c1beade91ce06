// Loads the business module and finds its CreateBusinessForm. The module stays loaded until the
// process ends: windows it created may live until then.
#pragma once

#include "CreateBusinessForm.h"

#include <QString>

class ModuleLoader {
public:
    // True when the library loaded and exports CreateBusinessForm; otherwise error() says why.
    bool load(const QString& path);
    bool loaded() const { return create_ != nullptr; }
    const QString& error() const { return error_; }
    const QString& path() const { return path_; }
    TfrmMDIChild* createForm(int code, MSysmgntDef::SOperator* op) const;

    // The module next to the executable, else in the build's library folder.
    static QString defaultPath();

private:
    CreateBusinessFormFn create_ = nullptr;
    QString error_;
    QString path_;
};
