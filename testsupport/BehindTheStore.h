#pragma once
// Statements on a journal file behind the program's back, as sqlite3 by hand
// would: true when every one ran (the first refused is named in a warning).
// Header only; its users link Qt SQL through the records library.

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

inline bool behind(const QString &file, const QStringList &statements) {
    bool done = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "behind");
        db.setDatabaseName(file);
        done = db.open();
        QSqlQuery q(db);
        for (const QString &s : statements)
            if (done && !q.exec(s)) {
                qWarning() << s << q.lastError().text();
                done = false;
            }
    }
    QSqlDatabase::removeDatabase("behind");
    return done;
}
