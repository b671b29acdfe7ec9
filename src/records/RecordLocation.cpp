#include "RecordLocation.h"

#include "files/ShownPath.h"

#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace {
const char *const Schemes[] = {"postgresql://", "postgres://"};
const char *const SslModes[] = {"disable", "allow",     "prefer",
                                "require", "verify-ca", "verify-full"};

// Every connection's limits, unless the location gives its own connect_timeout:
// five seconds to connect; a connection whose peer stops answering is dropped
// after 10 s idle and three probes 5 s apart, or once a send goes 20 s
// unacknowledged; no statement runs over 30 s.
const char *const Limits[] = {"keepalives=1",           "keepalives_idle=10",
                              "keepalives_interval=5",  "keepalives_count=3",
                              "tcp_user_timeout=20000", "options='-c statement_timeout=30000'"};

const QString Form = "строка подключения должна иметь вид "
                     "postgresql://пользователь@сервер[:порт]/база[?sslmode=verify-full&…] "
                     "или postgresql://?service=служба";
const QString NoPassword =
    "пароль в строке подключения не указывают: его видно в списке процессов, и он сохранился "
    "бы в настройках. Уберите его и укажите в файле ~/.pgpass строкой "
    "сервер:порт:база:пользователь:пароль (права 0600; другой файл — в переменной "
    "PGPASSFILE), в переменной окружения PGPASSWORD или в службе из pg_service.conf "
    "(postgresql://?service=имя)";

QList<std::pair<QString, QString>> queryOf(const QUrl &url) {
    return QUrlQuery(url).queryItems(QUrl::FullyDecoded);
}

bool has(const QList<std::pair<QString, QString>> &items, const QString &key) {
    for (const auto &[k, v] : items)
        if (k == key)
            return true;
    return false;
}

// Why the query's parameter cannot be taken; empty when it can.
QString badParameter(const QString &key, const QString &value) {
    if (key == "password")
        return NoPassword;
    if (!RecordLocation::queryKeys().contains(key))
        return QString("параметр «%1» в строке подключения не поддерживается; можно: %2")
            .arg(shownPath(key), RecordLocation::queryKeys().join(", "));
    if (value.trimmed().isEmpty())
        return QString("у параметра %1 в строке подключения нет значения").arg(key);
    if (value.contains(';'))
        return QString("в значении параметра %1 не может быть точки с запятой").arg(key);
    if (key == "sslmode" && !std::count(std::begin(SslModes), std::end(SslModes), value))
        return QString("sslmode может быть %1; «%2» не подходит")
            .arg(QStringList(std::begin(SslModes), std::end(SslModes)).join(", "),
                 shownPath(value));
    bool number = false;
    if (key == "connect_timeout" && (value.toInt(&number) < 1 || !number))
        return QString("connect_timeout — число секунд от 1; «%1» не подходит")
            .arg(shownPath(value));
    return {};
}

// libpq's quoting of a conninfo value.
QString quoted(QString value) {
    value.replace("\\", "\\\\").replace("'", "\\'");
    return "'" + value + "'";
}
} // namespace

bool RecordLocation::isServer(const QString &location) {
    for (const char *scheme : Schemes)
        if (location.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    return false;
}

QStringList RecordLocation::queryKeys() {
    return {"sslmode",         "sslrootcert",      "sslcert", "sslkey",
            "connect_timeout", "application_name", "service"};
}

QString RecordLocation::withoutPassword(const QString &location) {
    if (!isServer(location))
        return location;
    QUrl url(location);
    if (!url.isValid())
        return {};
    url.setPassword(QString());
    QUrlQuery query(url);
    if (query.hasQueryItem("password")) {
        query.removeAllQueryItems("password");
        if (query.isEmpty())
            url.setQuery(QString());
        else
            url.setQuery(query);
    }
    return url.toString();
}

QString RecordLocation::shown(const QString &location) {
    if (!isServer(location))
        return shownPath(location);
    if (!QUrl(location).isValid())
        return QString(Schemes[0]) + "…";
    return shownPath(QUrl(withoutPassword(location)).toDisplayString(QUrl::RemovePassword));
}

QString RecordLocation::malformed(const QString &location) {
    if (location.trimmed().isEmpty())
        return "не указан ни файл журнала, ни сервер";
    if (!isServer(location))
        return QFileInfo(location).isDir() ? "это папка, а не файл" : QString();
    const QUrl url(location, QUrl::StrictMode);
    if (!url.isValid() || url.hasFragment())
        return Form;
    if (!url.password().isEmpty())
        return NoPassword;
    const auto query = queryOf(url);
    for (const auto &[key, value] : query)
        if (const QString bad = badParameter(key, value); !bad.isEmpty())
            return bad;
    const QString path = url.path();
    const QString name = path.mid(1);
    if ((!path.isEmpty() && !path.startsWith('/')) || name.contains('/'))
        return Form;
    // A service names the server, the base and the user itself.
    if (has(query, "service"))
        return {};
    if (url.userName().isEmpty() || url.host().isEmpty() || name.isEmpty())
        return Form;
    return {};
}

QStringList RecordLocation::connectOptions(const QString &location) {
    const QUrl url(location, QUrl::StrictMode);
    QStringList options;
    const auto query = queryOf(url);
    for (const auto &[key, value] : query)
        options << key + "=" + quoted(value);
    if (!has(query, "connect_timeout"))
        options << "connect_timeout=5";
    for (const char *limit : Limits)
        options << limit;
    return options;
}

QSqlDatabase RecordLocation::addServer(const QString &location, const QString &connection,
                                       QString *why) {
    if (const QString bad = malformed(location); !bad.isEmpty()) {
        *why = bad;
        return {};
    }
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) {
        *why = "нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)";
        return {};
    }
    const QUrl url(location, QUrl::StrictMode);
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connection);
    // What the location leaves out libpq takes from the service, its
    // environment (PGHOST, PGUSER, ...) or its defaults; the password always so.
    if (!url.host().isEmpty())
        db.setHostName(url.host());
    if (url.port() != -1)
        db.setPort(url.port());
    if (!url.userName().isEmpty())
        db.setUserName(url.userName());
    if (url.path().size() > 1)
        db.setDatabaseName(url.path().mid(1));
    db.setConnectOptions(connectOptions(location).join(';'));
    return db;
}
