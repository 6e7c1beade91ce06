#include "login_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LoginDialog::LoginDialog(const QString& login, const QString& service, QWidget* parent)
    : QDialog(parent), name_(new QLineEdit(login)), password_(new QLineEdit), service_(new QLineEdit(service)),
      status_(new QLabel)
{
    setWindowTitle("远程写卡管理 - 登录");
    password_->setEchoMode(QLineEdit::Password);
    status_->setStyleSheet("color: #b00000;");
    status_->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow("登录名：", name_);
    form->addRow("密码：", password_);
    form->addRow("服务地址：", service_);
    form->addRow(status_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("登录");
    buttons->button(QDialogButtonBox::Cancel)->setText("退出");
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryLogin(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    (login.isEmpty() ? name_ : password_)->setFocus();
}

QString LoginDialog::service() const
{
    return service_->text().trimmed();
}

QString LoginDialog::login(const QString& service, const QString& name, const QString& password,
                           MSysmgntDef::SOperator& op)
{
    setenv("TAV_BROKER_TAVORINE", service.toUtf8().constData(), 1);
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", name.toStdString(), password.toStdString(), op, error) == 0)
        return {};
    return QString::fromStdString(error.message) +
           (error.hint.empty() ? QString() : "\n" + QString::fromStdString(error.hint));
}

void LoginDialog::tryLogin()
{
    status_->setText("正在登录…");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString problem = login(service(), name_->text().trimmed(), password_->text(), operator_);
    QApplication::restoreOverrideCursor();
    if (problem.isEmpty())
        accept();
    else
        status_->setText(problem);
}
