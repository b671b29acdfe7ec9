// The journal of calibrations at the size of years of production: 100 000
// records of 1 000 instruments, one instrument's history (100 records) listed
// out of them, its newest record found, one more record added, the due list
// (ze23-cli records due: every instrument's newest record) and one
// instrument's sensor history judged. On a SQLite file always, and on the
// PostgreSQL server ZE23_TEST_PG names when it is set (scripts/pg-test.sh).
//
// The journal is filled once per engine, outside the timing: the store makes
// the schema, then every record goes in through the store's own row writer
// (RecordRows) in one transaction on a connection of the bench's, since add()
// commits (and syncs the disk) once a record and would take minutes for
// 100 000.

#include "calibration/SensorHealth.h"
#include "records/DueList.h"
#include "records/RecordHash.h"
#include "records/RecordLocation.h"
#include "records/RecordRows.h"
#include "records/RecordStore.h"

#include <QDate>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {
constexpr int Records = 100000;
constexpr int Instruments = 1000;
constexpr int Listed = 23100; // serial numbers are 23000 to 23999
constexpr std::size_t ListedRecords = Records / Instruments;

CalibrationRecord record(int serial, int n) {
    CalibrationRecord r;
    r.deviceType = 1;
    r.model = "ЗЭ11.2к";
    r.serial = serial;
    r.block = 3;
    r.versions = {{"base", 12}, {"pump", 5}, {"sensor", 7}};
    r.technician = "Петрова А. С.";
    r.when = "2026-12-08T09:15:00";
    r.cylinder = {"ПГС-0417", "CH4 в воздухе", 250, "2027-06-30"};
    r.tolerance = 10;
    for (int phase = 0; phase < 2; ++phase) {
        Measurement m;
        m.phase = phase ? Measurement::Phase::AsLeft : Measurement::Phase::AsFound;
        m.gas = TestGas::Cylinder;
        m.point = "Газ из баллона";
        m.expected = 250;
        m.tolerance = 10;
        m.reading = 240 + n % 20;
        m.secondsToSteady = 40;
        m.passed = true;
        for (int s = 0; s < 60; s += 2)
            m.chart.push_back({double(s), 2.5 - 2.5 / (1 + s)});
        r.measurements.push_back(m);
    }
    r.points = {{"U воздух, мВ", 10, 4123, 4101}, {"U газ, мВ", 10, 4388, 4402}};
    r.settingsAfter = {{"threshold1", 50}, {"threshold2", 100}};
    r.outcome = CalibrationOutcome::Adjusted;
    r.nextDue = "2027-12-08";
    r.toolVersion = "1.0";
    return r;
}

// Where each engine's journal lives: a file in a temporary folder kept for
// the process, or the server ZE23_TEST_PG names, as its owner when
// ZE23_TEST_PG_OWNER names one (the journal is made and filled here).
QString location(bool server) {
    static std::unique_ptr<QTemporaryDir> dir;
    if (server)
        return qEnvironmentVariable(qEnvironmentVariableIsEmpty("ZE23_TEST_PG_OWNER")
                                        ? "ZE23_TEST_PG"
                                        : "ZE23_TEST_PG_OWNER");
    if (!dir)
        dir = std::make_unique<QTemporaryDir>();
    return dir->filePath("records.sqlite");
}

// Where the stores keep the heads of the journal's bench (BenchHead.h):
// beside the temporary journal, not in the user's data.
QString headFolder() {
    return QFileInfo(location(false)).absolutePath() + "/benches";
}

QSqlDatabase fillConnection(bool server, const QString &where) {
    if (server) {
        QString why;
        QSqlDatabase db = RecordLocation::addServer(where, "bench-fill", &why);
        if (!db.isValid())
            qFatal("%s", qPrintable(why));
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-fill");
    db.setDatabaseName(where);
    return db;
}

// The engine's filled journal, made on first use and kept for the process; a
// server journal that already holds the records is used as it is.
const QString &journal(bool server) {
    static std::map<bool, QString> filled;
    if (const auto found = filled.find(server); found != filled.end())
        return found->second;
    const QString path = location(server);
    {
        RecordStore store;
        store.setHeadFolder(headFolder());
        QString error;
        if (!store.open(path, &error))
            qFatal("%s", qPrintable(error));
    }
    {
        QSqlDatabase db = fillConnection(server, path);
        QString why;
        if (!db.open())
            qFatal("journal not opened for filling");
        QSqlQuery count(db);
        const bool full = count.exec("SELECT count(*) FROM records") && count.next() &&
                          count.value(0).toInt() >= Records;
        count.finish();
        if (!full) {
            if (!db.transaction())
                qFatal("journal not opened for filling");
            // Chained as add() chains them, so that the filled journal verifies.
            std::string previous, link;
            for (int n = 0; n < Records; ++n) {
                CalibrationRecord r = record(23000 + n % Instruments, n);
                r.number = n + 1;
                r.hash = RecordHash::chained(previous, r);
                link = RecordHash::journalLink(link, r.number, r.hash);
                if (!RecordRows::insert(db, r, previous, link, &why))
                    qFatal("%s", qPrintable(why));
                previous = r.hash;
            }
            if (!db.commit())
                qFatal("journal not filled");
            // The planner's figures as the server's own autovacuum would have
            // them by the time a journal has grown this big.
            if (server && !QSqlQuery(db).exec("ANALYZE"))
                qFatal("journal not analysed");
            // The server numbers what add() keeps: after the numbers given here.
            if (server && !QSqlQuery(db).exec("SELECT setval(pg_get_serial_sequence('records', "
                                              "'number'), max(number)) FROM records"))
                qFatal("the server's numbering not moved on");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-fill");
    return filled[server] = path;
}

void listOneInstrument(benchmark::State &state, bool server) {
    RecordStore store;
    store.setHeadFolder(headFolder());
    store.open(journal(server), nullptr);
    for (auto _ : state) {
        const std::vector<CalibrationRecord> listed = store.list({Listed});
        if (listed.size() != ListedRecords)
            state.SkipWithError("the instrument's records not all listed");
        benchmark::DoNotOptimize(listed.data());
    }
    state.counters["records"] = double(ListedRecords);
}

void lastOfInstrument(benchmark::State &state, bool server) {
    RecordStore store;
    store.setHeadFolder(headFolder());
    store.open(journal(server), nullptr);
    for (auto _ : state) {
        const std::optional<CalibrationRecord> last = store.last(Listed);
        if (!last)
            state.SkipWithError("no newest record");
        benchmark::DoNotOptimize(last->number);
    }
}

// One record kept, read back and checked, as the window does after a
// calibration: the commit waits for the disk.
void addRecord(benchmark::State &state, bool server) {
    RecordStore store;
    store.setHeadFolder(headFolder());
    store.open(journal(server), nullptr);
    int n = 0;
    QString error;
    for (auto _ : state)
        if (!store.add(record(Listed + 1, n++), &error)) {
            state.SkipWithError(qPrintable("record not kept: " + error));
            break;
        }
}

// ze23-cli records due over the whole journal: each instrument's newest
// record, its row alone.
void dueList(benchmark::State &state, bool server) {
    RecordStore store;
    store.setHeadFolder(headFolder());
    store.open(journal(server), nullptr);
    const QDate today(2027, 11, 20);
    for (auto _ : state) {
        const auto due = DueList::within(store.newestOfEach(), today, 30);
        if (due.size() != std::size_t(Instruments))
            state.SkipWithError("not every instrument due");
        benchmark::DoNotOptimize(due.data());
    }
    state.counters["records"] = double(Records);
}

// The sensor history window's reading: one instrument's records and the
// verdict on its sensor.
void sensorHistoryOfOne(benchmark::State &state, bool server) {
    RecordStore store;
    store.setHeadFolder(headFolder());
    store.open(journal(server), nullptr);
    for (auto _ : state) {
        const SensorHistory h = sensorHistory(store.list({Listed}));
        if (h.samples.size() != ListedRecords)
            state.SkipWithError("the instrument's calibrations not all judged");
        benchmark::DoNotOptimize(h.verdict.state);
    }
    state.counters["records"] = double(ListedRecords);
}

[[maybe_unused]] const bool Registered = [] {
    std::vector<std::pair<const char *, bool>> engines{{"sqlite", false}};
    if (!qEnvironmentVariableIsEmpty("ZE23_TEST_PG"))
        engines.push_back({"postgresql", true});
    for (const auto &[name, server] : engines) {
        const std::string prefix = std::string("Records/") + name + "/";
        const auto add = [&](const char *what, void (*run)(benchmark::State &, bool)) {
            benchmark::RegisterBenchmark((prefix + what).c_str(), run, server)
                ->Unit(benchmark::kMillisecond);
        };
        add("list_one_of_100000", listOneInstrument);
        add("last_of_100000", lastOfInstrument);
        add("due_of_100000", dueList);
        add("sensor_history_of_100000", sensorHistoryOfOne);
        // Last: it adds to the journal the others read.
        add("add_to_100000", addRecord);
    }
    return true;
}();
} // namespace
