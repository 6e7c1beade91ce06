// The registry of the vendors' card-writing libraries per province, vendor and card type, and
// the upload of a library file to the FTP folder named by the system parameter
// "GuiWriteCardFTP".
#pragma once

#include "CFTPClient.h"
#include "SysMgntMisc_def_tvd_c.h"
#include "ftp_target.h"
#include "maintenance_form.h"

// The open-file dialog of the window: a title and a filter of "description|patterns" pairs.
class TOpenDialog : public QObject {
public:
    TOpenDialog(QObject* owner, const QString& name, QString title, QString filter);
    // The chosen path; empty when the user cancelled.
    QString Execute() const;
    const QString& Title() const { return title_; }
    const QString& Filter() const { return filter_; }

private:
    QString title_;
    QString filter_;
};

class TfrmFactoryCardTypeModule : public TfrmMaintenance {
public:
    explicit TfrmFactoryCardTypeModule(QWidget* owner);

    void btnFtpClick();

protected:
    // Reads the FTP parameter; the window does not open without it.
    bool FinishInit() override;

private:
    // A clear message and false when the local file cannot be uploaded: unreadable, not a
    // file, or of 4 GiB or more (the transfer counts 32 bits).
    bool LocalFileUploadable(const QString& path);
    // Connect, refuse an existing file, upload under the wait box.
    void Upload(const FtpTarget& target, const QString& path);

    QPushButton* btnFtp = nullptr;
    TOpenDialog* OpenDlg = nullptr;
    CSysMgntPublic paramLibrary_;
    MSysmgntDef::SPublicParamList ftpParams_;
    CFTPClient ftp_;
};
