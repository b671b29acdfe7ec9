#pragma once
// The roles of a journal on a server (journal-roles.sql): ze23_technician
// reads and adds (records, cylinders, the records' numbers), ze23_reader reads,
// and the owner alone makes and changes the tables.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace JournalRoles {
// The statements of journal-roles.sql in order, its comments left out.
QStringList statements();

// Runs them in one transaction on `db`, a server's connection as the
// journal's owner; false with the server's reason in `why`.
bool grant(QSqlDatabase &db, QString *why);
} // namespace JournalRoles
