#include "JournalRoles.h"

#include <QSqlError>
#include <QSqlQuery>

namespace JournalRoles {
extern const char *const Sql; // journal-roles.sql, built in
}

QStringList JournalRoles::statements() {
    // A statement ends with a line ending in ";" outside a $$ body.
    QStringList out;
    QString statement;
    bool inBody = false;
    for (const QString &line : QString::fromUtf8(Sql).split('\n')) {
        const QString trimmed = line.trimmed();
        if (!inBody && (trimmed.isEmpty() || trimmed.startsWith("--")))
            continue;
        statement += line + "\n";
        if (line.count("$$") % 2 == 1)
            inBody = !inBody;
        if (!inBody && trimmed.endsWith(';')) {
            out << statement.trimmed();
            statement.clear();
        }
    }
    return out;
}

bool JournalRoles::grant(QSqlDatabase &db, QString *why) {
    if (!db.transaction()) {
        *why = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    // A role that may not grant is told once, not warned for each column.
    const QStringList all = QStringList{"SET LOCAL client_min_messages = error"} + statements();
    for (const QString &s : all) {
        if (!q.exec(s)) {
            *why = q.lastError().text();
            db.rollback();
            return false;
        }
    }
    if (db.commit())
        return true;
    *why = db.lastError().text();
    db.rollback();
    return false;
}
