#include "RecordLocation.h"

#include <QFileInfo>
#include <QUrl>

namespace {
const QString Scheme = "postgresql://";
} // namespace

bool RecordLocation::isServer(const QString &location) {
    return location.startsWith(Scheme, Qt::CaseInsensitive);
}

QString RecordLocation::shown(const QString &location) {
    if (!isServer(location))
        return location;
    const QUrl url(location);
    return url.isValid() ? url.toDisplayString(QUrl::RemovePassword) : Scheme + "…";
}

QString RecordLocation::malformed(const QString &location) {
    if (location.trimmed().isEmpty())
        return "не указан ни файл журнала, ни сервер";
    if (!isServer(location))
        return QFileInfo(location).isDir() ? "это папка, а не файл" : QString();
    const QUrl url(location, QUrl::StrictMode);
    const QString name = url.path().mid(1);
    if (!url.isValid() || url.userName().isEmpty() || url.host().isEmpty() || name.isEmpty() ||
        name.contains('/') || url.hasQuery() || url.hasFragment())
        return "строка подключения должна иметь вид "
               "postgresql://пользователь[:пароль]@сервер[:порт]/база";
    return {};
}

QSqlDatabase RecordLocation::addServer(const QString &location, const QString &connection,
                                       QString *why) {
    if (const QString bad = malformed(location); !bad.isEmpty()) {
        *why = bad;
        return {};
    }
    const QUrl url(location, QUrl::StrictMode);
    const QString name = url.path().mid(1);
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) {
        *why = "нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)";
        return {};
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connection);
    db.setHostName(url.host());
    db.setPort(url.port(5432));
    db.setUserName(url.userName());
    db.setPassword(url.password());
    db.setDatabaseName(name);
    db.setConnectOptions("connect_timeout=5");
    return db;
}
