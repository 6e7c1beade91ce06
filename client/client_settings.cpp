#include "client_settings.h"

#include "TListViewEx.h"

#include <QMainWindow>
#include <QSettings>

namespace {

QString widthsKey(int functionCode, const TListViewEx& list)
{
    return QString("columns/%1/%2").arg(functionCode).arg(list.objectName());
}

// Only lists with a name are remembered: without one, two lists of a window would share a key.
QList<TListViewEx*> namedLists(const QWidget& form)
{
    QList<TListViewEx*> lists = form.findChildren<TListViewEx*>();
    lists.removeIf([](const TListViewEx* list) { return list->objectName().isEmpty(); });
    return lists;
}

} // namespace

ClientSettings::ClientSettings()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            "resremotesim", "rsimclient"))
{}

ClientSettings::~ClientSettings() = default;

QString ClientSettings::lastLogin() const
{
    return settings_->value("login/name").toString();
}

QString ClientSettings::lastService() const
{
    return settings_->value("login/service").toString();
}

void ClientSettings::rememberLogin(const QString& login, const QString& service)
{
    settings_->setValue("login/name", login);
    settings_->setValue("login/service", service);
}

void ClientSettings::restoreGeometry(QMainWindow& window) const
{
    const QByteArray geometry = settings_->value("window/geometry").toByteArray();
    if (!geometry.isEmpty())
        window.restoreGeometry(geometry);
}

void ClientSettings::saveGeometry(const QMainWindow& window)
{
    settings_->setValue("window/geometry", window.saveGeometry());
}

void ClientSettings::restoreColumnWidths(int functionCode, QWidget& form) const
{
    for (TListViewEx* list : namedLists(form)) {
        const QStringList widths = settings_->value(widthsKey(functionCode, *list)).toStringList();
        if (widths.size() != list->columnCount())
            continue; // the window's columns changed since: its own widths hold
        for (int column = 0; column < list->columnCount(); ++column)
            list->setColumnWidth(column, widths[column].toInt());
    }
}

void ClientSettings::saveColumnWidths(int functionCode, const QWidget& form)
{
    for (const TListViewEx* list : namedLists(form)) {
        QStringList widths;
        for (int column = 0; column < list->columnCount(); ++column)
            widths.append(QString::number(list->columnWidth(column)));
        settings_->setValue(widthsKey(functionCode, *list), widths);
    }
}
