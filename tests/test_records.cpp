// The journal of calibrations on a real SQLite file in a temporary folder,
// and again on the PostgreSQL server ZE23_TEST_PG names (scripts/pg-test.sh
// starts one; without it that pass is skipped): a full record reads back
// equal after reopening, numbers only grow and never collide between two
// benches, a write that fails half-way leaves nothing, a journal that cannot
// be opened says why, and a record changed or taken out behind the store's
// back shows in its check.

#include "RecordSample.h"
#include "records/CylinderRegister.h"
#include "records/JournalRoles.h"
#include "records/RecordHash.h"
#include "records/RecordLocation.h"
#include "records/RecordSchema.h"
#include "records/RecordStore.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <thread>

namespace {
// A second connection to the same journal, for what the store must not see
// coming: a planted fault, a count of raw rows, a change behind its back.
class RawFile {
  public:
    explicit RawFile(const QString &location, const QString &name = "raw")
        : server_(RecordLocation::isServer(location)), name_(name) {
        QString why;
        QSqlDatabase db = server_ ? RecordLocation::addServer(location, name_, &why)
                                  : QSqlDatabase::addDatabase("QSQLITE", name_);
        if (!server_)
            db.setDatabaseName(location);
        db.open();
    }
    ~RawFile() { QSqlDatabase::removeDatabase(name_); }
    bool exec(const QString &sql) {
        QSqlDatabase db = QSqlDatabase::database(name_);
        QSqlQuery q(db);
        const bool done = q.exec(sql);
        error_ = q.lastError();
        return done;
    }
    // The server's code for why the last statement failed ("42501": no right).
    QString refusal() const { return error_.nativeErrorCode(); }
    QString value(const QString &sql) {
        QSqlQuery q(QSqlDatabase::database(name_));
        return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
    }
    int count(const QString &table) {
        QSqlDatabase db = QSqlDatabase::database(name_);
        QSqlQuery q(db);
        q.exec("SELECT count(*) FROM " + table);
        return q.next() ? q.value(0).toInt() : -1;
    }
    // Inserts into `table` (the rows meeting `when`, or all) fail from now on.
    bool plantFault(const QString &table, const QString &when) {
        if (!server_)
            return exec("CREATE TRIGGER planted BEFORE INSERT ON " + table +
                        (when.isEmpty() ? "" : " WHEN " + when) +
                        " BEGIN SELECT RAISE(ABORT, 'сбой'); END");
        return exec("CREATE OR REPLACE FUNCTION planted_fault() RETURNS trigger LANGUAGE plpgsql "
                    "AS $$ BEGIN RAISE EXCEPTION 'сбой'; END $$") &&
               exec("CREATE TRIGGER planted BEFORE INSERT ON " + table + " FOR EACH ROW" +
                    (when.isEmpty() ? "" : " WHEN (" + when + ")") +
                    " EXECUTE FUNCTION planted_fault()");
    }
    bool removeFault(const QString &table) {
        return exec(server_ ? "DROP TRIGGER planted ON " + table : QString("DROP TRIGGER planted"));
    }

    // Takes a journal back before the refusal of inserts under kept keys
    // (SQLite's only), as an older program made it.
    bool beforeReplaceRefusals() {
        if (server_)
            return true;
        QSqlQuery q(QSqlDatabase::database(name_));
        QStringList names;
        q.exec("SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE "
               "'%replace_refused%'");
        while (q.next())
            names << q.value(0).toString();
        for (const QString &name : names)
            if (!exec("DROP TRIGGER " + name))
                return false;
        return !names.isEmpty();
    }

    // Takes the journal back to before records named the laboratory, the
    // room and the login.
    bool beforeRecordContext() {
        if (server_ && !exec("DROP TRIGGER records_login ON records"))
            return false;
        for (const char *column :
             {"approved_by", "laboratory", "laboratory_address", "method", "ambient_temperature",
              "ambient_pressure", "ambient_humidity", "db_login"})
            if (!exec(QString("ALTER TABLE records DROP COLUMN %1").arg(column)))
                return false;
        return true;
    }

    // Takes the journal back to before records named a stand's sensor and batch.
    bool beforeStandBatches() {
        if (!exec("DROP INDEX records_by_batch"))
            return false;
        for (const char *column : {"sensor_label", "batch", "steady_readings"})
            if (!exec(QString("ALTER TABLE records DROP COLUMN %1").arg(column)))
                return false;
        return true;
    }

    // Takes the register of cylinders back to before it was chained.
    bool beforeCylinderChain() {
        for (const char *column : {"seq", "hash", "previous_hash"})
            if (!exec(QString("ALTER TABLE cylinders DROP COLUMN %1").arg(column)))
                return false;
        return true;
    }

    // Drops the triggers that refuse changes, as another program could.
    bool allowChanges() {
        for (const QString &t :
             {"records", "versions", "measurements", "points", "settings_after", "gas_cylinders"})
            if (!(server_ ? exec(QString("DROP TRIGGER %1_change_refused ON %1").arg(t))
                          : exec(QString("DROP TRIGGER %1_update_refused").arg(t)) &&
                                exec(QString("DROP TRIGGER %1_delete_refused").arg(t))))
                return false;
        return true;
    }

  private:
    bool server_;
    QString name_;
    QSqlError error_;
};

// Records renumbered behind the store's back: each from one number to another.
using Moves = QList<std::pair<int, int>>;

const QStringList Tables{"records", "versions", "measurements", "points", "settings_after"};

// The tables of the first journals, as they were made.
const char *const FirstLayout[] = {
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

// Every table, index and trigger of a SQLite file as made.
QStringList layout(const QString &path) {
    QStringList out;
    RawFile raw(path);
    QSqlQuery q(QSqlDatabase::database("raw"));
    q.exec("SELECT type, name, sql FROM sqlite_master ORDER BY name");
    while (q.next())
        out << q.value(0).toString() + " " + q.value(1).toString() + ": " + q.value(2).toString();
    return out;
}
} // namespace

class TestRecords : public QObject {
    Q_OBJECT

    const bool server_;
    QTemporaryDir dir_;
    QString file() const { return dir_.filePath("journal/records.sqlite"); }
    // The journal this pass writes to: on a server as a bench's technician
    // (scripts/pg-test.sh gives one), made and changed behind the store's
    // back by the owner (the same login when only ZE23_TEST_PG is given).
    QString location() const { return server_ ? qEnvironmentVariable("ZE23_TEST_PG") : file(); }
    QString owner() const {
        const QString given = qEnvironmentVariable("ZE23_TEST_PG_OWNER");
        return server_ && !given.isEmpty() ? given : location();
    }
    void dropJournal() {
        RawFile raw(owner());
        QVERIFY(raw.exec("SET client_min_messages = warning"));
        QVERIFY(raw.exec("DROP TABLE IF EXISTS gas_cylinders, settings_after, points, "
                         "measurements, versions, records, schema_version, this_bench, sent, "
                         "cylinders CASCADE") &&
                raw.exec("DROP FUNCTION IF EXISTS journal_refuse_change() CASCADE") &&
                raw.exec("DROP FUNCTION IF EXISTS journal_login() CASCADE"));
    }
    // The journal made by its owner, the technician's rights given.
    void makeJournal() {
        RecordStore made;
        QString why;
        QVERIFY2(made.open(owner(), &why), qPrintable(why));
        QSqlDatabase db = QSqlDatabase::database(made.connectionName());
        QVERIFY2(JournalRoles::grant(db, &why), qPrintable(why));
    }

  public:
    explicit TestRecords(bool server) : server_(server) {}

  private slots:
    void initTestCase() {
        if (server_ && location().isEmpty())
            QSKIP("ZE23_TEST_PG не задан: журнал на PostgreSQL не проверяется");
    }
    void init() {
        if (!server_) {
            QFile::remove(file());
            return;
        }
        dropJournal();
        makeJournal();
    }

    void fullRecordReadsBackAfterReopening() {
        CalibrationRecord asked = sampleRecord();
        asked.measurements.push_back(sampleAlarmCheck());
        asked.gases = sampleGases();
        // Kept on a stand.
        asked.standPosition = 7;
        asked.sensorLabel = "Д-7";
        asked.batch = "П-1";
        asked.steady.readings = 3;
        asked.number = 77; // the store's to give
        std::int64_t number = 0;
        {
            RecordStore store;
            QString error;
            QVERIFY2(store.open(location(), &error), qPrintable(error));
            const auto added = store.add(asked, &error);
            QVERIFY2(added, qPrintable(error));
            number = *added;
        }
        RecordStore again;
        QVERIFY(again.open(location(), nullptr));
        asked.number = number;
        asked.bench = again.bench();
        asked.benchNumber = 1;
        asked.hash = RecordHash::chained("", asked); // the bench's first
        // A server names the login that kept it; a file none.
        asked.login = server_ ? QUrl(location()).userName().toStdString() : std::string();
        const std::optional<CalibrationRecord> found = again.find(number);
        QVERIFY(found);
        QVERIFY(*found == asked);
        QCOMPARE(found->measurements[1].chart, asked.measurements[1].chart);
        QVERIFY(again.list() == std::vector<CalibrationRecord>{asked});
        QVERIFY(again.last(asked.serial) == asked);
        QVERIFY(!again.find(number + 1));
    }

    // Three instruments, records in turn; listing by serial numbers.
    void numbersGrowAndListsSelect_data() {
        QTest::addColumn<std::vector<int>>("serials");
        QTest::addColumn<std::vector<int>>("expected"); // positions in the order added
        QTest::addColumn<std::vector<int>>("newest");
        QTest::newRow("all") << std::vector<int>{} << std::vector<int>{0, 1, 2, 3, 4}
                             << std::vector<int>{2, 3, 4};
        QTest::newRow("one") << std::vector<int>{101} << std::vector<int>{0, 3}
                             << std::vector<int>{3};
        QTest::newRow("two") << std::vector<int>{303, 101} << std::vector<int>{0, 2, 3}
                             << std::vector<int>{2, 3};
        QTest::newRow("unknown") << std::vector<int>{999} << std::vector<int>{}
                                 << std::vector<int>{};
    }
    void numbersGrowAndListsSelect() {
        QFETCH(std::vector<int>, serials);
        QFETCH(std::vector<int>, expected);
        QFETCH(std::vector<int>, newest);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        std::vector<std::int64_t> numbers;
        for (int serial : {101, 202, 303, 101, 202}) {
            const auto n = store.add(sampleRecord(serial), nullptr);
            QVERIFY(n);
            QVERIFY(numbers.empty() || *n > numbers.back());
            numbers.push_back(*n);
        }
        std::vector<std::int64_t> listed;
        for (const CalibrationRecord &r : store.list(serials))
            listed.push_back(r.number);
        std::vector<std::int64_t> wanted;
        for (int i : expected)
            wanted.push_back(numbers[std::size_t(i)]);
        QCOMPARE(listed, wanted);
        listed.clear();
        for (const CalibrationRecord &r : store.newestOfEach(serials)) {
            listed.push_back(r.number);
            QVERIFY(r.measurements.empty() && !r.nextDue.empty());
        }
        wanted.clear();
        for (int i : newest)
            wanted.push_back(numbers[std::size_t(i)]);
        QCOMPARE(listed, wanted);
        QCOMPARE(store.last(101)->number, numbers[3]);
        QVERIFY(!store.last(999));
    }

    // A fault planted in one child table (or a text the journal cannot keep as
    // it is) fails the add; nothing of it stays, and the next add goes in.
    void failedWriteLeavesNoTrace_data() {
        QTest::addColumn<QString>("table"); // where the fault is planted, or none
        QTest::addColumn<QString>("when");
        QTest::addColumn<QByteArray>("technician");
        QTest::newRow("measurement")
            << "measurements"
            << "NEW.point = 'Газ из баллона'" << QByteArray("Петрова А. С.");
        QTest::newRow("adjusted point") << "points"
                                        << "NEW.seq = 2" << QByteArray("Петрова А. С.");
        QTest::newRow("setting after") << "settings_after"
                                       << "" << QByteArray("Петрова А. С.");
        QTest::newRow("text not UTF-8") << ""
                                        << "" << QByteArray("Петрова \xff\xfe");
    }
    void failedWriteLeavesNoTrace() {
        QFETCH(QString, table);
        QFETCH(QString, when);
        QFETCH(QByteArray, technician);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        QVERIFY(store.add(sampleRecord(), nullptr));
        RawFile raw(owner());
        if (!table.isEmpty())
            QVERIFY(raw.plantFault(table, when));
        std::map<QString, int> before;
        for (const QString &t : Tables)
            before[t] = raw.count(t);

        CalibrationRecord r = sampleRecord(23102);
        r.technician = technician.toStdString();
        QString error;
        QVERIFY(!store.add(r, &error));
        QVERIFY2(error.startsWith("Запись о калибровке не сохранена"), qPrintable(error));
        for (const QString &t : Tables)
            QCOMPARE(raw.count(t), before[t]);
        QVERIFY(store.list({23102}).empty());

        if (!table.isEmpty())
            QVERIFY(raw.removeFault(table));
        QVERIFY2(store.add(sampleRecord(23102), &error), qPrintable(error));
    }

    void correctionNamesAnEarlierRecord_data() {
        QTest::addColumn<int>("corrects"); // 0: the record added first
        QTest::addColumn<bool>("kept");
        QTest::newRow("earlier record") << 0 << true;
        QTest::newRow("no such record") << 99 << false;
    }
    void correctionNamesAnEarlierRecord() {
        QFETCH(int, corrects);
        QFETCH(bool, kept);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        const auto first = store.add(sampleRecord(), nullptr);
        CalibrationRecord correction = sampleRecord();
        correction.corrects = corrects ? corrects : *first;
        correction.remark = "Неверно записан номер баллона";
        QString error;
        const auto n = store.add(correction, &error);
        QCOMPARE(bool(n), kept);
        if (kept)
            QVERIFY(store.find(*n)->corrects == *first);
        else
            QVERIFY2(error.contains("№ 99") && store.list().size() == 1, qPrintable(error));
    }

    // Kept rows are not changed even by another program writing to the file.
    void keptRecordsAreNotChanged() {
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        const auto n = store.add(sampleRecord(), nullptr);
        RawFile raw(owner());
        QVERIFY(!raw.exec("UPDATE records SET serial = 1"));
        QVERIFY(!raw.exec("DELETE FROM measurements"));
        QVERIFY(store.find(*n) == [&] {
            CalibrationRecord r = sampleRecord();
            r.number = *n;
            r.bench = store.bench();
            r.login = server_ ? QUrl(location()).userName().toStdString() : std::string();
            r.benchNumber = 1;
            r.hash = RecordHash::chained("", r);
            return r;
        }());
    }

    // An insert under a key a kept row has: SQLite's REPLACE would take the
    // old row out without a delete trigger firing, an upsert would update it.
    void keptRowsAreNotReplaced_data() {
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("server");
        QTest::newRow("a setting") << "INSERT OR REPLACE INTO settings_after (record, name, value) "
                                      "VALUES (1, 'threshold1', 999)"
                                   << "INSERT INTO settings_after (record, name, value) VALUES "
                                      "(1, 'threshold1', 999)";
        QTest::newRow("a setting, upserted")
            << "INSERT INTO settings_after (record, name, value) VALUES (1, 'threshold1', 999) "
               "ON CONFLICT (record, name) DO UPDATE SET value = 999"
            << "INSERT INTO settings_after (record, name, value) VALUES (1, 'threshold1', 999) "
               "ON CONFLICT (record, name) DO UPDATE SET value = 999";
        QTest::newRow("a point") << "REPLACE INTO points (record, seq, name, per_unit, before, "
                                    "after) VALUES (1, 0, 'U воздух, мВ', 10, 1, 1)"
                                 << "INSERT INTO points (record, seq, name, per_unit, before, "
                                    "after) VALUES (1, 0, 'U воздух, мВ', 10, 1, 1)";
        QTest::newRow("the record under its bench's number")
            << "INSERT OR REPLACE INTO records (device_type, model, serial, block, technician, "
               "at, cylinder_number, cylinder_gas, cylinder_concentration, cylinder_expiry, "
               "sensor_gas, per_percent, steady_seconds, steady_band, tolerance, outcome, remark, "
               "next_due, tool_version, bench, bench_number) SELECT device_type, model, 99999, "
               "block, technician, at, cylinder_number, cylinder_gas, cylinder_concentration, "
               "cylinder_expiry, sensor_gas, per_percent, steady_seconds, steady_band, tolerance, "
               "outcome, remark, next_due, tool_version, bench, bench_number FROM records"
            << "INSERT INTO records (device_type, model, serial, block, technician, "
               "at, cylinder_number, cylinder_gas, cylinder_concentration, cylinder_expiry, "
               "sensor_gas, per_percent, steady_seconds, steady_band, tolerance, outcome, remark, "
               "next_due, tool_version, bench, bench_number) SELECT device_type, model, 99999, "
               "block, technician, at, cylinder_number, cylinder_gas, cylinder_concentration, "
               "cylinder_expiry, sensor_gas, per_percent, steady_seconds, steady_band, tolerance, "
               "outcome, remark, next_due, tool_version, bench, bench_number FROM records";
    }
    void keptRowsAreNotReplaced() {
        QFETCH(QString, sqlite);
        QFETCH(QString, server);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        const auto n = store.add(sampleRecord(), nullptr);
        QCOMPARE(*n, 1);
        const CalibrationRecord kept = *store.find(*n);
        {
            RawFile raw(owner());
            QVERIFY(!raw.exec(server_ ? server : sqlite));
        }
        QVERIFY(store.find(*n) == kept);
        QCOMPARE(store.list().size(), std::size_t(1));
        QCOMPARE(store.verify().finding, ChainCheck::Finding::Intact);
    }

    // A journal made by a newer program is refused whole and left as it is.
    void newerSchemaIsRefusedUntouched() {
        {
            RecordStore made;
            QVERIFY(made.open(location(), nullptr));
            QVERIFY(made.add(sampleRecord(), nullptr));
        }
        const int newer = RecordSchema::version() + 1;
        RawFile raw(owner());
        QVERIFY(raw.exec(QString("UPDATE schema_version SET version = %1").arg(newer)));
        RecordStore store;
        QString error;
        QVERIFY(!store.open(location(), &error));
        QCOMPARE(error, QString("Журнал калибровок %1 сделан более новой версией программы (схема "
                                "%2); эта знает схему %3. Обновите программу.")
                            .arg(location())
                            .arg(newer)
                            .arg(newer - 1));
        QVERIFY(!store.isOpen() && !store.add(sampleRecord(), nullptr));
        QCOMPARE(raw.count("records"), 1);
        QCOMPARE(raw.count(QString("schema_version WHERE version = %1").arg(newer)), 1);
    }

    // A file laid out as the first journals were opens as it is and takes and
    // gives back records; a file made today has exactly that layout.
    void firstLayoutFileOpensUnchanged() {
        if (server_)
            QSKIP("только для файла");
        const QString old = dir_.filePath("first.sqlite");
        QFile::remove(old);
        {
            RawFile raw(old);
            for (const char *t : FirstLayout)
                QVERIFY2(raw.exec(t), t);
            for (const char *table : Kept)
                for (const char *change : {"UPDATE", "DELETE"})
                    QVERIFY(raw.exec(
                        QString("CREATE TRIGGER %1_%2_refused BEFORE %3 ON %1 BEGIN SELECT "
                                "RAISE(ABORT, 'записи журнала не изменяются'); END")
                            .arg(table, QString(change).toLower(), change)));
            QVERIFY(raw.exec("INSERT INTO schema_version (version) VALUES (1)"));
        }
        CalibrationRecord asked = sampleRecord();
        {
            RecordStore store;
            QString error;
            QVERIFY2(store.open(old, &error), qPrintable(error));
            asked.number = *store.add(asked, &error);
            asked.bench = store.bench();
            asked.benchNumber = 1;
            asked.hash = RecordHash::chained("", asked);
        }
        RecordStore again;
        QVERIFY(again.open(old, nullptr));
        QVERIFY(again.find(asked.number) == asked);
        RecordStore today;
        QVERIFY(today.open(file(), nullptr));
        QCOMPARE(layout(file()), layout(old));
    }

    // Two benches opening a new journal and adding at once, each through its
    // own store, make it once and share the numbers out with no number given
    // twice.
    void twoBenchesGetDistinctNumbers() {
        constexpr int Each = 12;
        std::vector<std::int64_t> numbers[2];
        QString errors[2];
        if (server_) {
            // Made at once by two openings, then the benches add as technicians.
            dropJournal();
            const auto make = [&](int i) { RecordStore().open(owner(), &errors[i]); };
            std::thread first(make, 0), second(make, 1);
            first.join();
            second.join();
            QVERIFY2(errors[0].isEmpty() && errors[1].isEmpty(),
                     qPrintable(errors[0] + " / " + errors[1]));
            makeJournal();
        }
        const auto bench = [&](int i) {
            RecordStore store;
            if (!store.open(location(), &errors[i]))
                return;
            for (int k = 0; k < Each; ++k) {
                const auto n = store.add(sampleRecord(500 + i), &errors[i]);
                if (!n)
                    return;
                numbers[i].push_back(*n);
            }
        };
        std::thread first(bench, 0);
        std::thread second(bench, 1);
        first.join();
        second.join();
        QVERIFY2(errors[0].isEmpty() && errors[1].isEmpty(),
                 qPrintable(errors[0] + " / " + errors[1]));
        std::vector<std::int64_t> all = numbers[0];
        all.insert(all.end(), numbers[1].begin(), numbers[1].end());
        std::sort(all.begin(), all.end());
        QCOMPARE(std::unique(all.begin(), all.end()) - all.begin(), 2 * Each);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        QCOMPARE(int(store.list({500}).size()), Each);
        QCOMPARE(int(store.list().size()), 2 * Each);
        // Each chained to the one kept just before it, whichever bench it was.
        const ChainCheck check = store.verify();
        QVERIFY2(check.finding == ChainCheck::Finding::Intact, qPrintable(check.reason));
        QCOMPARE(check.records, std::size_t(2 * Each));
    }

    void cleanJournalVerifies() {
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        QCOMPARE(store.verify().reason, "Журнал цел: 0 записей, каждая как записана.");
        for (int serial : {101, 202, 303})
            QVERIFY(store.add(sampleRecord(serial), nullptr));
        const ChainCheck check = store.verify();
        QVERIFY(check.finding == ChainCheck::Finding::Intact);
        QCOMPARE(check.reason, "Журнал цел: 3 записи, каждая как записана.");
    }

    // Records 1 to 3, then one change made with the triggers dropped.
    void changeBehindTheStoreShows_data() {
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("reading") << QStringList{"UPDATE measurements SET reading = reading + 1 "
                                                "WHERE record = 2 AND seq = 0"}
                                 << "Запись № 2 изменена после записи";
        QTest::newRow("serial") << QStringList{"UPDATE records SET serial = 9 WHERE number = 3"}
                                << "Запись № 3 изменена после записи";
        QTest::newRow("setting removed")
            << QStringList{"DELETE FROM settings_after WHERE record = 1"}
            << "Запись № 1 изменена после записи";
        QTest::newRow("other gas's cylinder")
            << QStringList{"UPDATE gas_cylinders SET concentration = 9000 WHERE record = 2"}
            << "Запись № 2 изменена после записи";
        QTest::newRow("room") << QStringList{"UPDATE records SET ambient_temperature = 200 "
                                             "WHERE number = 1"}
                              << "Запись № 1 изменена после записи";
        QTest::newRow("approver")
            << QStringList{"UPDATE records SET approved_by = 'Другой' WHERE number = 3"}
            << "Запись № 3 изменена после записи";
        QTest::newRow("batch") << QStringList{"UPDATE records SET batch = 'П-2' WHERE number = 3"}
                               << "Запись № 3 изменена после записи";
        QTest::newRow("stand's rule")
            << QStringList{"UPDATE records SET steady_readings = 1 WHERE number = 1"}
            << "Запись № 1 изменена после записи";
        QTest::newRow("login")
            << QStringList{"UPDATE records SET db_login = 'ze23_chief' WHERE number = 2"}
            << "Запись № 2 стоит в журнале не под тем номером или не на том месте, под которым "
               "и где её приняли";
        QTest::newRow("hash rewritten")
            << QStringList{"UPDATE records SET hash = previous_hash WHERE number = 2"}
            << "Запись № 2 изменена после записи";
        QStringList removeTwo;
        for (const QString &t :
             {"versions", "measurements", "points", "settings_after", "gas_cylinders"})
            removeTwo << "DELETE FROM " + t + " WHERE record = 2";
        removeTwo << "DELETE FROM records WHERE number = 2";
        QTest::newRow("record removed") << removeTwo << "Перед записью № 3 недостаёт записи";
        QStringList removeOne = removeTwo.replaceInStrings("= 2", "= 1");
        QTest::newRow("first removed") << removeOne << "Перед записью № 2 недостаёт записи";
    }
    void changeBehindTheStoreShows() {
        QFETCH(QStringList, change);
        QFETCH(QString, reason);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        for (int serial : {101, 202, 303}) {
            CalibrationRecord r = sampleRecord(serial);
            if (serial == 202)
                r.gases = sampleGases();
            r.ambient = {215, 1013, 45};
            r.approvedBy = "Сидоров В. В.";
            r.batch = "П-1";
            r.sensorLabel = "Д-" + std::to_string(serial);
            r.steady.readings = 3;
            QVERIFY(store.add(r, nullptr));
        }
        RawFile raw(owner());
        QVERIFY(raw.allowChanges());
        for (const QString &sql : change)
            QVERIFY2(raw.exec(sql), qPrintable(sql));
        const ChainCheck check = store.verify();
        QVERIFY(check.finding != ChainCheck::Finding::Intact);
        QCOMPARE(check.reason, reason);
    }

    // The journal's numbers are bound into what is checked: the newest record
    // renumbered with its rows, or two records of different benches swapped,
    // keep each bench's chain whole and still show. (The server's numbers are
    // its own: they cannot be set by an UPDATE, so the file shows it.)
    void renumberedRecordsShow_data() {
        QTest::addColumn<Moves>("moves"); // number from, to; in turn
        QTest::addColumn<QString>("reason");
        QTest::newRow("newest renumbered")
            << Moves{{3, 99}}
            << "Запись № 99 стоит в журнале не под тем номером или не на том месте, под "
               "которым и где её приняли";
        QTest::newRow("two benches' records swapped")
            << Moves{{2, 1000}, {3, 2}, {1000, 3}}
            << "Запись № 2 стоит в журнале не под тем номером или не на том месте, под которым "
               "и где её приняли";
    }
    void renumberedRecordsShow() {
        if (server_)
            QSKIP("номера записей на сервере даёт только сервер");
        QFETCH(Moves, moves);
        QFETCH(QString, reason);
        RecordStore store;
        QVERIFY(store.open(location(), nullptr));
        QVERIFY(store.add(sampleRecord(101), nullptr) && store.add(sampleRecord(202), nullptr));
        CalibrationRecord other = sampleRecord(303);
        other.bench = "0123456789ab";
        other.benchNumber = 1;
        QVERIFY(store.add(other, nullptr));
        QCOMPARE(store.verify().finding, ChainCheck::Finding::Intact);
        RawFile raw(owner());
        QVERIFY(raw.allowChanges());
        for (const auto &[from, to] : moves) {
            for (const QString &t :
                 {"versions", "measurements", "points", "settings_after", "gas_cylinders"})
                QVERIFY(raw.exec(QString("UPDATE %1 SET record = %2 WHERE record = %3")
                                     .arg(t)
                                     .arg(to)
                                     .arg(from)));
            QVERIFY(raw.exec(
                QString("UPDATE records SET number = %1 WHERE number = %2").arg(to).arg(from)));
        }
        const ChainCheck check = store.verify();
        QCOMPARE(check.reason, reason);
    }

    // A bench's records arrive from its own journal: each is taken once, in
    // the bench's order, and hashes as it did there.
    void recordFromAnotherBench_data() {
        QTest::addColumn<int>("benchNumber");
        QTest::addColumn<int>("serial");
        QTest::addColumn<QString>("refusal"); // empty: taken (or already here)
        QTest::newRow("the bench's next") << 3 << 101 << "";
        QTest::newRow("sent again") << 2 << 202 << "";
        QTest::newRow("another under its number") << 2 << 909 << "уже есть другая запись";
        QTest::newRow("one skipped") << 4 << 101 << "недостаёт записей";
    }
    void recordFromAnotherBench() {
        QFETCH(int, benchNumber);
        QFETCH(int, serial);
        QFETCH(QString, refusal);
        const QString own = dir_.filePath("bench.sqlite");
        QFile::remove(own);
        RecordStore bench, workshop;
        QVERIFY(bench.open(own, nullptr) && workshop.open(location(), nullptr));
        QVERIFY(workshop.add(sampleRecord(707), nullptr)); // the workshop's own, between
        std::vector<CalibrationRecord> sent;
        for (int s : {101, 202, 101}) {
            const auto n = bench.add(sampleRecord(s), nullptr);
            QVERIFY(n);
            sent.push_back(*bench.find(*n));
        }
        for (std::size_t i = 0; i < 2; ++i)
            QVERIFY(workshop.add(sent[i], nullptr));
        CalibrationRecord arriving =
            benchNumber <= 3 ? sent[std::size_t(benchNumber - 1)] : sent.back();
        arriving.serial = serial;
        arriving.benchNumber = benchNumber;
        QString error;
        const auto n = workshop.add(arriving, &error);
        QCOMPARE(n.has_value(), refusal.isEmpty());
        QVERIFY2(error.contains(refusal), qPrintable(error));
        const std::vector<CalibrationRecord> there = workshop.list();
        QCOMPARE(int(there.size()), benchNumber == 3 && refusal.isEmpty() ? 4 : 3);
        for (const CalibrationRecord &r : there)
            if (r.bench == bench.bench())
                QCOMPARE(r.hash, sent[std::size_t(r.benchNumber - 1)].hash);
        QVERIFY(workshop.verify().finding == ChainCheck::Finding::Intact);
    }

    // A journal of the first layout with records in it, opened by this
    // program, has them chained oldest first and takes the next one on.
    void firstLayoutRecordsGetChained() {
        {
            RecordStore made;
            QVERIFY(made.open(location(), nullptr));
            for (int serial : {101, 202})
                QVERIFY(made.add(sampleRecord(serial), nullptr));
        }
        {
            RawFile raw(owner());
            QVERIFY(raw.beforeReplaceRefusals() && raw.beforeStandBatches() &&
                    raw.beforeRecordContext());
            QVERIFY(raw.exec("DROP INDEX records_by_bench"));
            for (const char *column : {"journal_link", "hash", "previous_hash", "bench",
                                       "bench_number", "cylinder_uncertainty", "cylinder_balance",
                                       "cylinder_supplier", "cylinder_certified"})
                QVERIFY2(raw.exec(QString("ALTER TABLE records DROP COLUMN %1").arg(column)),
                         column);
            QVERIFY(raw.exec("DROP TABLE this_bench") && raw.exec("DROP TABLE sent") &&
                    raw.exec("DROP TABLE cylinders") && raw.exec("DROP TABLE gas_cylinders") &&
                    raw.exec("UPDATE schema_version SET version = 1"));
        }
        RecordStore store;
        QString error;
        QVERIFY2(store.open(owner(), &error), qPrintable(error));
        QVERIFY(store.add(sampleRecord(303), nullptr));
        const std::vector<CalibrationRecord> all = store.list();
        QCOMPARE(all.size(), std::size_t(3));
        QCOMPARE(all[0].hash, RecordHash::chained("", all[0]));
        QCOMPARE(all[1].hash, RecordHash::chained(all[0].hash, all[1]));
        QCOMPARE(store.verify().reason, "Журнал цел: 3 записи, каждая как записана.");
        // The two kept before benches stay known by their number, the new one
        // is the bench's first.
        QVERIFY(all[0].bench.empty() && all[1].bench.empty());
        QCOMPARE(all[2].bench, store.bench());
        QCOMPARE(all[2].benchNumber, 1);
        QCOMPARE(all[2].hash, RecordHash::chained("", all[2]));
        RawFile raw(owner());
        QCOMPARE(
            raw.count(QString("schema_version WHERE version = %1").arg(RecordSchema::version())),
            1);
        QVERIFY(!raw.exec("UPDATE records SET serial = 1"));
    }

    // A journal from before the other gases were kept gets their table; its
    // records read and verify as before, and the next names its gases.
    void journalWithoutGasesIsBroughtUpToDate() {
        std::vector<CalibrationRecord> before;
        std::string bench;
        {
            RecordStore made;
            QVERIFY(made.open(location(), nullptr));
            for (int serial : {101, 202})
                QVERIFY(made.add(sampleRecord(serial), nullptr));
            before = made.list();
            bench = made.bench();
        }
        {
            RawFile raw(owner());
            QVERIFY(raw.beforeReplaceRefusals() && raw.beforeStandBatches() &&
                    raw.beforeRecordContext() && raw.exec("DROP INDEX cylinders_by_seq") &&
                    raw.beforeCylinderChain());
            // The bench's one row, as the journal had it then.
            QVERIFY(raw.exec("DROP TABLE this_bench") &&
                    raw.exec("CREATE TABLE this_bench (id TEXT NOT NULL)") &&
                    raw.exec(QString("INSERT INTO this_bench (id) VALUES ('%1')")
                                 .arg(QString::fromStdString(bench))));
            QVERIFY(raw.exec("DROP TABLE gas_cylinders") &&
                    raw.exec("ALTER TABLE records DROP COLUMN journal_link") &&
                    raw.exec("UPDATE schema_version SET version = 3"));
        }
        // Those records were kept before the server named logins.
        for (CalibrationRecord &r : before)
            r.login.clear();
        RecordStore store;
        QString error;
        // The owner brings it up to date; the technician then adds.
        QVERIFY2(RecordStore().open(owner(), &error), qPrintable(error));
        QVERIFY2(store.open(location(), &error), qPrintable(error));
        CalibrationRecord pgs = sampleRecord(303);
        pgs.gases = sampleGases();
        QVERIFY(store.add(pgs, nullptr));
        const std::vector<CalibrationRecord> all = store.list();
        QCOMPARE(all.size(), std::size_t(3));
        QVERIFY(all[0] == before[0] && all[1] == before[1]);
        QVERIFY(all[2].gases == sampleGases());
        QCOMPARE(store.verify().reason, "Журнал цел: 3 записи, каждая как записана.");
        RawFile raw(owner());
        QCOMPARE(raw.count("gas_cylinders"), 2);
        QVERIFY(!raw.exec("DELETE FROM gas_cylinders"));
    }

    void openRefusesWithReason_data() {
        QTest::addColumn<QString>("path");       // under the temporary folder
        QTest::addColumn<QByteArray>("content"); // of a file put there first
        QTest::addColumn<QString>("says");
        QTest::newRow("folder is a file") << "plain/records.sqlite" << QByteArray() << "папку";
        QTest::newRow("path is a folder") << "" << QByteArray() << "папка";
        QTest::newRow("not a database")
            << "notes.sqlite" << QByteArray(4096, 'x') << "not a database";
        QTest::newRow("another program's") << "other.sqlite" << QByteArray() << "не является";
        QTest::newRow("views alone") << "views.sqlite" << QByteArray() << "не является";
    }
    void openRefusesWithReason() {
        if (server_)
            QSKIP("только для файла");
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        QTemporaryDir here;
        QFile plain(here.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString target = here.filePath(path);
        if (!content.isEmpty()) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        if (path == "other.sqlite") {
            RawFile raw(target);
            QVERIFY(raw.exec("CREATE TABLE parts (name TEXT)"));
        }
        if (path == "views.sqlite") {
            RawFile raw(target);
            QVERIFY(raw.exec("CREATE VIEW totals AS SELECT 1 AS n"));
        }
        RecordStore store;
        QString error;
        QVERIFY(!store.open(target, &error));
        QVERIFY2(error.startsWith("Не удалось открыть журнал калибровок " + target) &&
                     error.contains(says),
                 qPrintable(error));
        QVERIFY(!store.isOpen());
        QVERIFY(!store.add(sampleRecord(), &error));
        if (!content.isEmpty()) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), content);
        }
        if (path == "other.sqlite" || path == "views.sqlite") // another program's, untouched
            QCOMPARE(RawFile(target).count("sqlite_master"), 1);
    }

    // A bench's technician reads and adds, and nothing else: every change
    // and every change of the layout is refused by the server's rights, not
    // only by the triggers its owner could drop. Every connection carries
    // its limits.
    void technicianOnlyReadsAndAdds_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("update") << "UPDATE records SET serial = 1";
        QTest::newRow("delete") << "DELETE FROM measurements";
        QTest::newRow("truncate") << "TRUNCATE cylinders";
        QTest::newRow("trigger dropped") << "DROP TRIGGER records_change_refused ON records";
        QTest::newRow("column added") << "ALTER TABLE records ADD COLUMN note TEXT";
        QTest::newRow("bench's id added") << "INSERT INTO this_bench (id) VALUES ('x')";
        QTest::newRow("layout version added") << "INSERT INTO schema_version VALUES (99)";
        QTest::newRow("table made") << "CREATE TABLE parts (name TEXT)";
    }
    void technicianOnlyReadsAndAdds() {
        if (!server_ || owner() == location())
            QSKIP("только на сервере, когда ZE23_TEST_PG — роль техника, а ZE23_TEST_PG_OWNER — "
                  "владелец (scripts/pg-test.sh)");
        QFETCH(QString, statement);
        RecordStore store;
        QString error;
        QVERIFY2(store.open(location() + "?application_name=ze23-test", &error), qPrintable(error));
        QVERIFY2(store.add(sampleRecord(), &error), qPrintable(error));
        RegisteredCylinder c{"ГСО 10-123", "CH4 в воздухе",    "methane",    250,          5,
                             "воздух",     "ООО «Мониторинг»", "2026-06-01", "2027-06-01", ""};
        QVERIFY2(CylinderRegister(store).add(c, &error), qPrintable(error));
        QCOMPARE(store.verify().finding, ChainCheck::Finding::Intact);
        QSqlQuery q(QSqlDatabase::database(store.connectionName()));
        for (const auto &[setting, value] :
             {std::pair{"statement_timeout", "30s"}, std::pair{"application_name", "ze23-test"}}) {
            QVERIFY(q.exec(QString("SHOW ") + setting) && q.next());
            QCOMPARE(q.value(0).toString(), QString(value));
        }

        RawFile technician(location(), "technician");
        QVERIFY(!technician.exec(statement));
        QCOMPARE(technician.refusal(), "42501");
        // A record written straight into the table under another's login
        // still names the login that wrote it.
        QVERIFY(technician.exec(
            "INSERT INTO records (device_type, model, serial, block, technician, at, "
            "cylinder_number, cylinder_gas, cylinder_concentration, cylinder_expiry, sensor_gas, "
            "per_percent, steady_seconds, steady_band, tolerance, outcome, remark, next_due, "
            "tool_version, db_login) VALUES (1, 'ЗЭ22', 7, 1, 'Петров', '2026-12-09', '', '', 0, "
            "'', 'methane', 100, 30, 5, 20, 'failed', '', '', '1', 'ze23_chief')"));
        RawFile raw(owner());
        QCOMPARE(
            raw.count(QString("records WHERE db_login = '%1'").arg(QUrl(location()).userName())),
            2);
        QVERIFY(!technician.exec("DELETE FROM records WHERE serial = 7"));
        QCOMPARE(raw.count("cylinders"), 1);
        QCOMPARE(raw.count("this_bench"), 1);
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // What the stores keep beside the journals goes to the tests' own data folder.
    QStandardPaths::setTestModeEnabled(true);
    TestRecords onFile(false);
    TestRecords onServer(true);
    return QTest::qExec(&onFile, argc, argv) | QTest::qExec(&onServer, argc, argv);
}
#include "test_records.moc"
