// The login dialog: login name, password and service address, checked against the service.
#pragma once

#include "sysmgnt_def_tvd_c.h"

#include <QDialog>

class QLabel;
class QLineEdit;

class LoginDialog : public QDialog {
public:
    LoginDialog(const QString& login, const QString& service, QWidget* parent = nullptr);

    // Valid once the dialog is accepted.
    const MSysmgntDef::SOperator& loggedIn() const { return operator_; }
    QString service() const;

private:
    void tryLogin();
    void showServiceWarning();

    QLineEdit* login_;
    QLineEdit* password_;
    QLineEdit* service_;
    QLabel* serviceWarning_;
    QLabel* status_;
    MSysmgntDef::SOperator operator_;
};
