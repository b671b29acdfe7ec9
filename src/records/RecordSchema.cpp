#include "RecordSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {
const char *const Tables[] = {
    "CREATE TABLE schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE records ("
    " number INTEGER PRIMARY KEY AUTOINCREMENT,"
    " corrects INTEGER REFERENCES records(number),"
    " device_type INTEGER NOT NULL, model TEXT NOT NULL, serial INTEGER NOT NULL,"
    " block INTEGER NOT NULL, stand_position INTEGER, technician TEXT NOT NULL,"
    " at TEXT NOT NULL,"
    " cylinder_number TEXT NOT NULL, cylinder_gas TEXT NOT NULL,"
    " cylinder_concentration INTEGER NOT NULL, cylinder_expiry TEXT NOT NULL,"
    " sensor_gas TEXT NOT NULL, per_percent INTEGER NOT NULL,"
    " steady_seconds INTEGER NOT NULL, steady_band INTEGER NOT NULL,"
    " tolerance INTEGER NOT NULL, outcome TEXT NOT NULL, remark TEXT NOT NULL,"
    " next_due TEXT NOT NULL, tool_version TEXT NOT NULL)",
    "CREATE INDEX records_by_serial ON records (serial, number)",
    "CREATE TABLE versions ("
    " record INTEGER NOT NULL REFERENCES records(number), name TEXT NOT NULL,"
    " version INTEGER NOT NULL, PRIMARY KEY (record, name)) WITHOUT ROWID",
    "CREATE TABLE measurements ("
    " record INTEGER NOT NULL REFERENCES records(number), seq INTEGER NOT NULL,"
    " phase TEXT NOT NULL, gas TEXT NOT NULL, point TEXT NOT NULL,"
    " expected INTEGER NOT NULL, tolerance INTEGER NOT NULL, reading INTEGER,"
    " alarms_expected INTEGER, alarms_seen INTEGER,"
    " seconds_to_steady REAL, seconds_to_90 REAL,"
    " accepted_early INTEGER NOT NULL, passed INTEGER NOT NULL, chart TEXT NOT NULL,"
    " PRIMARY KEY (record, seq)) WITHOUT ROWID",
    "CREATE TABLE points ("
    " record INTEGER NOT NULL REFERENCES records(number), seq INTEGER NOT NULL,"
    " name TEXT NOT NULL, per_unit INTEGER NOT NULL, before INTEGER, after INTEGER,"
    " PRIMARY KEY (record, seq)) WITHOUT ROWID",
    "CREATE TABLE settings_after ("
    " record INTEGER NOT NULL REFERENCES records(number), name TEXT NOT NULL,"
    " value INTEGER NOT NULL, PRIMARY KEY (record, name)) WITHOUT ROWID",
};
const char *const Kept[] = {"records", "versions", "measurements", "points", "settings_after"};

QString failed(const QSqlQuery &q) {
    return q.lastError().text();
}

bool create(QSqlDatabase &db, QString *why) {
    if (!db.transaction()) {
        *why = db.lastError().text();
        return false;
    }
    QStringList statements;
    for (const char *t : Tables)
        statements << t;
    for (const char *table : Kept)
        for (const char *change : {"UPDATE", "DELETE"})
            statements << QString("CREATE TRIGGER %1_%2_refused BEFORE %3 ON %1 BEGIN SELECT "
                                  "RAISE(ABORT, 'записи журнала не изменяются'); END")
                              .arg(table, QString(change).toLower(), change);
    statements
        << QString("INSERT INTO schema_version (version) VALUES (%1)").arg(RecordSchema::Version);
    QSqlQuery q(db);
    for (const QString &s : statements) {
        if (!q.exec(s)) {
            *why = failed(q);
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        *why = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}
} // namespace

bool RecordSchema::prepare(QSqlDatabase &db, QString *why) {
    QSqlQuery q(db);
    if (!q.exec("SELECT name FROM sqlite_master WHERE type = 'table'")) {
        *why = failed(q);
        return false;
    }
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    q.finish();
    if (tables.isEmpty())
        return create(db, why);
    if (!tables.contains("schema_version")) {
        *why = "файл не является журналом калибровок";
        return false;
    }
    if (!q.exec("SELECT version FROM schema_version") || !q.next()) {
        *why = "в журнале не указана версия его устройства";
        return false;
    }
    const int version = q.value(0).toInt();
    if (version != Version) {
        *why = version > Version
                   ? QString("журнал ведёт более новая версия программы (устройство журнала %1, "
                             "эта программа знает %2)")
                         .arg(version)
                         .arg(Version)
                   : QString("неизвестная версия устройства журнала: %1").arg(version);
        return false;
    }
    return true;
}
