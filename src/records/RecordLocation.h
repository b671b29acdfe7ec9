#pragma once
// Where a journal lives: a SQLite file path, or a PostgreSQL server named as
// libpq names one, postgresql://user@host[:port]/dbname (or postgres://),
// with libpq's own parameters in the query (?sslmode=verify-full&...), or a
// service of pg_service.conf (postgresql://?service=name).
//
// A password is never part of a location: libpq takes it from ~/.pgpass
// (PGPASSFILE), PGPASSWORD or the service, so that it is neither seen in the
// process list nor kept in the preferences.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace RecordLocation {
// True when `location` names a server (postgresql:// or postgres://).
bool isServer(const QString &location);

// The location as shown to the technician: a server's password left out, a
// long one cut in its middle.
QString shown(const QString &location);

// The location with any password left out (a server's; a file as it is);
// empty for a server's address that cannot be read at all.
QString withoutPassword(const QString &location);

// Why `location` cannot name a journal (blanks, a folder, a server's address
// not of the form above, a password in it, a parameter libpq's connection
// does not take here); empty when it can.
QString malformed(const QString &location);

// The parameters a location's query may give.
QStringList queryKeys();

// What every server connection is given besides the location's own
// parameters ("k=v" each, as Qt's QPSQL passes them on to libpq): a limit on
// connecting, TCP keepalives, a limit on unacknowledged sends and on each
// statement, so that a server gone silent never holds a caller for ever.
QStringList connectOptions(const QString &location);

// Adds the Qt SQL connection `connection` for the server `location`, set up
// but not open. An invalid database with the reason in `why` when the string
// is malformed or the PostgreSQL driver is missing.
QSqlDatabase addServer(const QString &location, const QString &connection, QString *why);
} // namespace RecordLocation
