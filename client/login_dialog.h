// Logs the operator in against the service.
#pragma once

#include "sysmgnt_def_tvd_c.h"

#include <QDialog>

class QLabel;
class QLineEdit;

class LoginDialog : public QDialog {
public:
    LoginDialog(const QString& login, const QString& service, QWidget* parent = nullptr);
    const MSysmgntDef::SOperator& loggedIn() const { return operator_; }
    QString service() const;

    // Logs in at the service address; empty on success, else the reason.
    static QString login(const QString& service, const QString& name, const QString& password,
                         MSysmgntDef::SOperator& op);

private:
    void tryLogin();

    QLineEdit* name_;
    QLineEdit* password_;
    QLineEdit* service_;
    QLabel* status_;
    MSysmgntDef::SOperator operator_;
};
