#include "RecordSchema.h"

#include "CylinderRows.h"
#include "JournalRoles.h"
#include "RecordHash.h"
#include "RecordRows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <vector>

namespace {
// %KEY% the record number's type, %NUMBER% how it is given, %REAL% a double,
// %NOROWID% SQLite's table without its own row numbers.
const char *const LayoutOne[] = {
    "CREATE TABLE schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE records ("
    " number %NUMBER%,"
    " corrects %KEY% REFERENCES records(number),"
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
    " record %KEY% NOT NULL REFERENCES records(number), name TEXT NOT NULL,"
    " version INTEGER NOT NULL, PRIMARY KEY (record, name))%NOROWID%",
    "CREATE TABLE measurements ("
    " record %KEY% NOT NULL REFERENCES records(number), seq INTEGER NOT NULL,"
    " phase TEXT NOT NULL, gas TEXT NOT NULL, point TEXT NOT NULL,"
    " expected INTEGER NOT NULL, tolerance INTEGER NOT NULL, reading INTEGER,"
    " alarms_expected INTEGER, alarms_seen INTEGER,"
    " seconds_to_steady %REAL%, seconds_to_90 %REAL%,"
    " accepted_early INTEGER NOT NULL, passed INTEGER NOT NULL, chart TEXT NOT NULL,"
    " PRIMARY KEY (record, seq))%NOROWID%",
    "CREATE TABLE points ("
    " record %KEY% NOT NULL REFERENCES records(number), seq INTEGER NOT NULL,"
    " name TEXT NOT NULL, per_unit INTEGER NOT NULL, before INTEGER, after INTEGER,"
    " PRIMARY KEY (record, seq))%NOROWID%",
    "CREATE TABLE settings_after ("
    " record %KEY% NOT NULL REFERENCES records(number), name TEXT NOT NULL,"
    " value INTEGER NOT NULL, PRIMARY KEY (record, name))%NOROWID%",
    "%REFUSE%",
};
const char *const Kept[] = {"records", "versions", "measurements", "points", "settings_after"};
const char *const Refusal = "записи журнала не изменяются";

struct Engine {
    bool server;
};

// The statements that refuse changes to the rows of one kept table.
QStringList refusalsOf(Engine e, const QString &table) {
    if (e.server)
        return {QString("CREATE TRIGGER %1_change_refused BEFORE UPDATE OR DELETE ON %1 FOR "
                        "EACH ROW EXECUTE FUNCTION journal_refuse_change()")
                    .arg(table),
                QString("CREATE TRIGGER %1_truncate_refused BEFORE TRUNCATE ON %1 FOR EACH "
                        "STATEMENT EXECUTE FUNCTION journal_refuse_change()")
                    .arg(table)};
    QStringList out;
    for (const char *change : {"UPDATE", "DELETE"})
        out << QString("CREATE TRIGGER %1_%2_refused BEFORE %3 ON %1 BEGIN SELECT "
                       "RAISE(ABORT, '%4'); END")
                   .arg(table, QString(change).toLower(), change, Refusal);
    return out;
}

QStringList dropRefusalsOf(Engine e, const QString &table) {
    if (e.server)
        return {QString("DROP TRIGGER IF EXISTS %1_change_refused ON %1").arg(table),
                QString("DROP TRIGGER IF EXISTS %1_truncate_refused ON %1").arg(table)};
    return {QString("DROP TRIGGER IF EXISTS %1_update_refused").arg(table),
            QString("DROP TRIGGER IF EXISTS %1_delete_refused").arg(table)};
}

// The statements that refuse changes to kept rows.
QStringList refusals(Engine e) {
    QStringList out;
    if (e.server)
        out << QString("CREATE FUNCTION journal_refuse_change() RETURNS trigger LANGUAGE plpgsql "
                       "AS $$ BEGIN RAISE EXCEPTION '%1'; END $$")
                   .arg(Refusal);
    for (const char *table : Kept)
        out << refusalsOf(e, table);
    return out;
}

QString failed(const QSqlQuery &q) {
    return q.lastError().text();
}

bool runAll(QSqlDatabase &db, const QStringList &statements, QString *why) {
    QSqlQuery q(db);
    for (const QString &s : statements) {
        if (!q.exec(s)) {
            *why = failed(q);
            return false;
        }
    }
    return true;
}

QStringList layoutOne(Engine e) {
    QStringList out;
    for (QString s : LayoutOne) {
        if (s == "%REFUSE%") {
            out << refusals(e);
            continue;
        }
        s.replace("%NUMBER%", e.server ? "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"
                                       : "INTEGER PRIMARY KEY AUTOINCREMENT");
        s.replace("%KEY%", e.server ? "BIGINT" : "INTEGER");
        s.replace("%REAL%", e.server ? "DOUBLE PRECISION" : "REAL");
        s.replace("%NOROWID%", e.server ? "" : " WITHOUT ROWID");
        out << s;
    }
    out << "INSERT INTO schema_version (version) VALUES (0)";
    return out;
}

bool firstLayout(QSqlDatabase &db, Engine e, QString *why) {
    return runAll(db, layoutOne(e), why);
}

// Each record's hash chained to the one before it; the records kept before
// there were hashes get theirs here, oldest first.
bool chainRecords(QSqlDatabase &db, Engine e, QString *why) {
    if (!runAll(db,
                QStringList{"ALTER TABLE records ADD COLUMN hash TEXT",
                            "ALTER TABLE records ADD COLUMN previous_hash TEXT"}
                    << dropRefusalsOf(e, "records"),
                why))
        return false;
    const auto records =
        RecordRows::select(db, "1 = 1", {}, why, RecordRows::Columns::BeforeBenches);
    if (!records)
        return false;
    std::string previous;
    for (const CalibrationRecord &r : *records) {
        const std::string hash = RecordHash::chained(previous, r);
        if (!RecordRows::setHashes(db, r.number, hash, previous, why))
            return false;
        previous = hash;
    }
    return runAll(db, refusalsOf(e, "records"), why);
}

// Benches: the journal's own bench id, each record's bench and the bench's
// running number (the records kept before keep an empty bench and number 0),
// what of this bench's records a server has taken, the cylinder's further
// fields and the register of cylinders.
bool benchesAndCylinders(QSqlDatabase &db, Engine e, QString *why) {
    QStringList statements;
    for (const char *column :
         {"bench TEXT NOT NULL DEFAULT ''", "bench_number BIGINT NOT NULL DEFAULT 0",
          "cylinder_uncertainty INTEGER NOT NULL DEFAULT 0",
          "cylinder_balance TEXT NOT NULL DEFAULT ''", "cylinder_supplier TEXT NOT NULL DEFAULT ''",
          "cylinder_certified TEXT NOT NULL DEFAULT ''"})
        statements << QString("ALTER TABLE records ADD COLUMN %1").arg(column);
    statements
        << "CREATE UNIQUE INDEX records_by_bench ON records (bench, bench_number) "
           "WHERE bench <> ''"
        << "CREATE TABLE this_bench (id TEXT NOT NULL)"
        << QString("INSERT INTO this_bench (id) VALUES ('%1')").arg(RecordSchema::newBenchId())
        << "CREATE TABLE sent (bench TEXT NOT NULL, bench_number BIGINT NOT NULL,"
           " server_number BIGINT NOT NULL, at TEXT NOT NULL,"
           " PRIMARY KEY (bench, bench_number))"
        << "CREATE TABLE cylinders (number TEXT NOT NULL PRIMARY KEY, gas TEXT NOT NULL,"
           " component TEXT NOT NULL, concentration INTEGER NOT NULL,"
           " uncertainty INTEGER NOT NULL, balance TEXT NOT NULL, supplier TEXT NOT NULL,"
           " certified TEXT NOT NULL, expiry TEXT NOT NULL, added TEXT NOT NULL)"
        << refusalsOf(e, "this_bench") << refusalsOf(e, "sent") << refusalsOf(e, "cylinders");
    return runAll(db, statements, why);
}

// The gases of a calibration besides the span's, each with its cylinder (the
// oxygen zero's nitrogen, the ПГС threshold-2 gas). Records kept before name
// none, and their hashes stay as they were.
bool gasCylinders(QSqlDatabase &db, Engine e, QString *why) {
    return runAll(
        db,
        QStringList{QString("CREATE TABLE gas_cylinders ("
                            " record %1 NOT NULL REFERENCES records(number),"
                            " seq INTEGER NOT NULL, gas TEXT NOT NULL,"
                            " number TEXT NOT NULL, cylinder_gas TEXT NOT NULL,"
                            " concentration INTEGER NOT NULL, uncertainty INTEGER NOT NULL,"
                            " balance TEXT NOT NULL, supplier TEXT NOT NULL,"
                            " certified TEXT NOT NULL, expiry TEXT NOT NULL,"
                            " PRIMARY KEY (record, seq))%2")
                        .arg(e.server ? "BIGINT" : "INTEGER", e.server ? "" : " WITHOUT ROWID")}
            << refusalsOf(e, "gas_cylinders"),
        why);
}

// An insert under a key a kept row has is refused before SQLite's REPLACE
// (INSERT OR REPLACE, REPLACE INTO) could take the old row out: its delete
// triggers do not fire for that. The server refuses such an insert by its
// keys, and an upsert's update by the update triggers.
bool noReplace(QSqlDatabase &db, Engine e, QString *why) {
    if (e.server)
        return true;
    const std::pair<const char *, const char *> keys[] = {
        {"records", "number = NEW.number"},
        {"records", "NEW.bench <> '' AND bench = NEW.bench AND bench_number = NEW.bench_number"},
        {"versions", "record = NEW.record AND name = NEW.name"},
        {"measurements", "record = NEW.record AND seq = NEW.seq"},
        {"points", "record = NEW.record AND seq = NEW.seq"},
        {"settings_after", "record = NEW.record AND name = NEW.name"},
        {"gas_cylinders", "record = NEW.record AND seq = NEW.seq"},
        {"cylinders", "number = NEW.number"},
        {"sent", "bench = NEW.bench AND bench_number = NEW.bench_number"}};
    QStringList statements;
    int n = 0;
    for (const auto &[table, key] : keys)
        statements << QString("CREATE TRIGGER %1_replace_refused_%2 BEFORE INSERT ON %1 WHEN "
                              "EXISTS (SELECT 1 FROM %1 WHERE %3) BEGIN SELECT RAISE(ABORT, "
                              "'%4'); END")
                          .arg(table)
                          .arg(++n)
                          .arg(key, Refusal);
    return runAll(db, statements, why);
}

// The journal's own chain over its numbers (RecordHash::journalLink): each
// record kept before gets its link here, lowest number first.
bool linkNumbers(QSqlDatabase &db, Engine e, QString *why) {
    if (!runAll(db,
                QStringList{"ALTER TABLE records ADD COLUMN journal_link TEXT"}
                    << dropRefusalsOf(e, "records"),
                why))
        return false;
    std::vector<std::pair<std::int64_t, std::string>> kept;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec("SELECT number, hash FROM records ORDER BY number")) {
            *why = failed(q);
            return false;
        }
        while (q.next())
            kept.emplace_back(q.value(0).toLongLong(), q.value(1).toString().toStdString());
    }
    std::string link;
    for (const auto &[number, hash] : kept) {
        link = RecordHash::journalLink(link, number, hash);
        if (!RecordRows::setLink(db, number, link, why))
            return false;
    }
    return runAll(db, refusalsOf(e, "records"), why);
}

// Who approved, the laboratory, its address, the method and the room with
// each record; on a server the login that kept it, which the server gives
// itself whatever the writer sends. Records kept before have none.
bool recordContext(QSqlDatabase &db, Engine e, QString *why) {
    QStringList statements;
    for (const char *column :
         {"approved_by TEXT NOT NULL DEFAULT ''", "laboratory TEXT NOT NULL DEFAULT ''",
          "laboratory_address TEXT NOT NULL DEFAULT ''", "method TEXT NOT NULL DEFAULT ''",
          "ambient_temperature INTEGER", "ambient_pressure INTEGER", "ambient_humidity INTEGER",
          "db_login TEXT NOT NULL DEFAULT ''"})
        statements << QString("ALTER TABLE records ADD COLUMN %1").arg(column);
    if (e.server)
        statements
            << "CREATE OR REPLACE FUNCTION journal_login() RETURNS trigger LANGUAGE plpgsql AS $$ "
               "BEGIN NEW.db_login := session_user; RETURN NEW; END $$"
            << "CREATE TRIGGER records_login BEFORE INSERT ON records FOR EACH ROW "
               "EXECUTE FUNCTION journal_login()";
    return runAll(db, statements, why);
}

// The register of cylinders chained in the order it took them: each its
// place, its hash and the one before's; those registered before get theirs
// here in the order they were added.
bool chainCylinders(QSqlDatabase &db, Engine e, QString *why) {
    if (!runAll(db,
                QStringList{"ALTER TABLE cylinders ADD COLUMN seq BIGINT",
                            "ALTER TABLE cylinders ADD COLUMN hash TEXT",
                            "ALTER TABLE cylinders ADD COLUMN previous_hash TEXT"}
                    << dropRefusalsOf(e, "cylinders"),
                why))
        return false;
    std::vector<RegisteredCylinder> kept;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QString("SELECT %1 FROM cylinders ORDER BY added, number")
                        .arg(CylinderRows::Columns))) {
            *why = failed(q);
            return false;
        }
        while (q.next())
            kept.push_back(CylinderRows::fields(q));
    }
    QSqlQuery set(db);
    if (!set.prepare(
            "UPDATE cylinders SET seq = ?, hash = ?, previous_hash = ? WHERE number = ?")) {
        *why = failed(set);
        return false;
    }
    std::string previous;
    std::int64_t seq = 0;
    for (const RegisteredCylinder &c : kept) {
        const std::string hash = RecordHash::cylinderChained(previous, ++seq, c);
        for (const QVariant &v : {QVariant(qint64(seq)), QVariant(QString::fromStdString(hash)),
                                  QVariant(QString::fromStdString(previous)),
                                  QVariant(QString::fromStdString(c.number))})
            set.addBindValue(v);
        if (!set.exec()) {
            *why = failed(set);
            return false;
        }
        previous = hash;
    }
    return runAll(db,
                  QStringList{"CREATE UNIQUE INDEX cylinders_by_seq ON cylinders (seq)"}
                      << refusalsOf(e, "cylinders"),
                  why);
}

// The bench's history (BenchHistory.h): this_bench takes a row for each new
// id or computer instead of holding one; the row there stays first, its
// computer not known. Rows are only ever added: the triggers that refuse
// changes stay, and on SQLite an insert under a kept row's place is refused
// like the others (noReplace).
bool benchHistory(QSqlDatabase &db, Engine e, QString *why) {
    QStringList statements;
    for (const char *column : {"seq BIGINT NOT NULL DEFAULT 0", "machine TEXT NOT NULL DEFAULT ''",
                               "since TEXT NOT NULL DEFAULT ''", "held TEXT NOT NULL DEFAULT ''",
                               "held_from BIGINT NOT NULL DEFAULT 0"})
        statements << QString("ALTER TABLE this_bench ADD COLUMN %1").arg(column);
    statements << "CREATE UNIQUE INDEX this_bench_by_seq ON this_bench (seq)";
    if (!e.server)
        statements << QString("CREATE TRIGGER this_bench_replace_refused BEFORE INSERT ON "
                              "this_bench WHEN EXISTS (SELECT 1 FROM this_bench WHERE seq = "
                              "NEW.seq) BEGIN SELECT RAISE(ABORT, '%1'); END")
                          .arg(Refusal);
    return runAll(db, statements, why);
}

// A stand's records: the sensor's label, the batch that links the records of
// one pass of gas (looked up by it), and the readings a wait wanted. Records
// kept before have no label nor batch and wanted one reading.
bool standBatches(QSqlDatabase &db, Engine, QString *why) {
    return runAll(
        db,
        QStringList{"ALTER TABLE records ADD COLUMN sensor_label TEXT NOT NULL DEFAULT ''",
                    "ALTER TABLE records ADD COLUMN batch TEXT NOT NULL DEFAULT ''",
                    "ALTER TABLE records ADD COLUMN steady_readings INTEGER NOT NULL "
                    "DEFAULT 1",
                    "CREATE INDEX records_by_batch ON records (batch) WHERE batch <> ''"},
        why);
}

// Step n brings a journal of version n to n + 1.
using Step = bool (*)(QSqlDatabase &, Engine, QString *);
const std::vector<Step> &steps() {
    static const std::vector<Step> all{
        firstLayout, chainRecords,  benchesAndCylinders, gasCylinders,   noReplace,
        linkNumbers, recordContext, benchHistory,        chainCylinders, standBatches};
    return all;
}

// Brings the journal from version `from` up to this one; the caller holds it.
bool migrate(QSqlDatabase &db, Engine e, int from, QString *why) {
    QSqlQuery q(db);
    for (int n = from; n < RecordSchema::version(); ++n) {
        if (!steps()[std::size_t(n)](db, e, why) ||
            !q.exec(QString("UPDATE schema_version SET version = %1").arg(n + 1))) {
            if (why->isEmpty())
                *why = failed(q);
            return false;
        }
    }
    return true;
}

// The journal's layout version: 0 for an empty database, nothing (with the
// reason) when it holds no journal or cannot be read.
std::optional<int> foundVersion(QSqlDatabase &db, Engine e, QString *why) {
    // Anything there already (a table, a view, an index) is another
    // program's unless it holds the journal's version: left untouched. A
    // file's names in one read, so that a bench making the journal meanwhile
    // is seen whole or not at all.
    QStringList tables;
    if (e.server) {
        tables = db.tables(QSql::Tables) + db.tables(QSql::Views);
        if (db.lastError().isValid()) {
            *why = db.lastError().text();
            return std::nullopt;
        }
    } else {
        QSqlQuery names(db);
        if (!names.exec("SELECT name FROM sqlite_master")) {
            *why = names.lastError().text();
            return std::nullopt;
        }
        while (names.next())
            tables << names.value(0).toString();
    }
    if (tables.isEmpty())
        return 0;
    if (!tables.contains("schema_version")) {
        *why = e.server ? "в базе есть чужие таблицы, журнала калибровок в ней нет"
                        : "файл не является журналом калибровок";
        return std::nullopt;
    }
    QSqlQuery q(db);
    if (!q.exec("SELECT version FROM schema_version") || !q.next()) {
        *why = "в журнале не указана версия его устройства";
        return std::nullopt;
    }
    const int found = q.value(0).toInt();
    if (found < 1) {
        *why = QString("неизвестная версия устройства журнала: %1").arg(found);
        return std::nullopt;
    }
    return found;
}

// Takes the journal for making or bringing it up to date: the file for
// writing, or the server's lock for it, so that two benches opening a new
// journal at once do not both make it.
bool holdForLayout(QSqlDatabase &db, Engine e, QString *why) {
    QSqlQuery q(db);
    if (e.server ? db.transaction() && q.exec("SELECT pg_advisory_xact_lock(2302301)")
                 : q.exec("BEGIN IMMEDIATE"))
        return true;
    *why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
    if (e.server)
        db.rollback();
    return false;
}
} // namespace

QString RecordSchema::newBenchId() {
    return QUuid::createUuid().toString(QUuid::Id128).left(12);
}

int RecordSchema::version() {
    return int(steps().size());
}

bool RecordSchema::prepare(QSqlDatabase &db, const QString &shown, QString *why, QString *refused) {
    refused->clear();
    const Engine engine{db.driverName() == "QPSQL"};
    const auto refuseNewer = [&](int found) {
        *refused = QString("Журнал калибровок %1 сделан более новой версией программы (схема "
                           "%2); эта знает схему %3. Обновите программу.")
                       .arg(shown)
                       .arg(found)
                       .arg(version());
        *why = *refused;
        return false;
    };
    std::optional<int> found = foundVersion(db, engine, why);
    if (!found)
        return false;
    if (*found == version())
        return true;
    if (*found > version())
        return refuseNewer(*found);
    // Looked at again once held: another bench may have done it meanwhile.
    if (!holdForLayout(db, engine, why))
        return false;
    found = foundVersion(db, engine, why);
    const bool done = found && (*found >= version() || migrate(db, engine, *found, why));
    if (!done || !db.commit()) {
        if (done)
            *why = db.lastError().text();
        db.rollback();
        if (engine.server && found)
            *why = "журнал на сервере создаёт и обновляет его владелец, а не роль техника "
                   "(ze23-cli journal grant): " +
                   *why;
        return false;
    }
    // The tables a newer layout added get the roles' rights where the server
    // has the roles; a failure leaves it to the owner's journal grant.
    if (engine.server && *found < version()) {
        QSqlQuery roles(db);
        if (roles.exec("SELECT 1 FROM pg_roles WHERE rolname = 'ze23_technician'") &&
            roles.next()) {
            roles.finish();
            QString ignored;
            JournalRoles::grant(db, &ignored);
        }
    }
    return *found <= version() || refuseNewer(*found);
}
