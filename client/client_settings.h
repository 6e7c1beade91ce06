// What the client remembers between runs (QSettings, never the password): the last login name
// and service address, the main window's geometry, and each window's list column widths.
#pragma once

#include <QString>

#include <memory>

class QMainWindow;
class QSettings;
class QWidget;

class ClientSettings {
public:
    // The user's settings file of the client ("resremotesim/rsimclient.ini" in the user's
    // configuration folder; QSettings::setPath moves it, as the tests do).
    ClientSettings();
    ~ClientSettings();

    QString lastLogin() const;
    QString lastService() const;
    void rememberLogin(const QString& login, const QString& service);

    void restoreGeometry(QMainWindow& window) const;
    void saveGeometry(const QMainWindow& window);

    // The column widths of every named list (TListViewEx) of the window of a function code.
    void restoreColumnWidths(int functionCode, QWidget& form) const;
    void saveColumnWidths(int functionCode, const QWidget& form);

private:
    std::unique_ptr<QSettings> settings_;
};
