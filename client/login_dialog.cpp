#include "login_dialog.h"

#include "service_login.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* namedEdit(const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setMinimumWidth(260);
    return edit;
}

} // namespace

LoginDialog::LoginDialog(const QString& login, const QString& service, QWidget* parent)
    : QDialog(parent), login_(namedEdit("login", login)), password_(namedEdit("password", {})),
      service_(namedEdit("service", service)), serviceWarning_(new QLabel), status_(new QLabel)
{
    setWindowTitle("远程写卡管理 - 登录");
    password_->setEchoMode(QLineEdit::Password);
    status_->setObjectName("status");
    status_->setStyleSheet("color: #b00000;");
    status_->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow("登录名：", login_);
    form->addRow("密码：", password_);
    form->addRow("服务地址：", service_);
    serviceWarning_->setObjectName("serviceWarning");
    serviceWarning_->setStyleSheet("color: #b06000;");
    serviceWarning_->setWordWrap(true);
    form->addRow(serviceWarning_);
    connect(service_, &QLineEdit::textChanged, this, [this] { showServiceWarning(); });
    showServiceWarning();
    form->addRow(status_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("登录");
    buttons->button(QDialogButtonBox::Cancel)->setText("退出");
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryLogin(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    (login.isEmpty() ? login_ : password_)->setFocus();
}

QString LoginDialog::service() const
{
    return QString::fromStdString(NormalisedServiceAddress(service_->text().toStdString()));
}

// Shown as the address is typed, before the password is sent.
void LoginDialog::showServiceWarning()
{
    serviceWarning_->setText(QString::fromStdString(PlainHttpWarning(service().toStdString())));
    serviceWarning_->setVisible(!serviceWarning_->text().isEmpty());
}

void LoginDialog::tryLogin()
{
    status_->setText("正在登录…");
    status_->repaint();
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString problem = QString::fromStdString(
        LogInAtService(service().toStdString(), login_->text().trimmed().toStdString(),
                       password_->text().toStdString(), operator_));
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    if (problem.isEmpty()) {
        accept();
        return;
    }
    status_->setText(problem);
    password_->selectAll();
    password_->setFocus();
}
