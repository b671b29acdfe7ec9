// The journal of calibrations at the size of years of production: 100 000
// records of 1 000 instruments, one instrument's history (100 records) listed
// out of them, its newest record found, and one more record added.
//
// The file is filled once, in a temporary folder, outside the timing: the
// store makes the schema, then every record goes in through the store's own
// row writer (RecordRows) in one transaction on a connection of the bench's,
// since add() commits (and syncs the disk) once a record and would take
// minutes for 100 000.

#include "records/RecordHash.h"
#include "records/RecordRows.h"
#include "records/RecordStore.h"

#include <QSqlDatabase>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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

// The filled journal, made on first use and kept for the process.
const QString &journal() {
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (dir)
        return path;
    dir = std::make_unique<QTemporaryDir>();
    path = dir->filePath("records.sqlite");
    {
        RecordStore store;
        QString error;
        if (!store.open(path, &error))
            qFatal("%s", qPrintable(error));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-fill");
        db.setDatabaseName(path);
        QString why;
        if (!db.open() || !db.transaction())
            qFatal("journal not opened for filling");
        // Chained as add() chains them, so that the filled journal verifies.
        std::string previous;
        for (int n = 0; n < Records; ++n) {
            CalibrationRecord r = record(23000 + n % Instruments, n);
            r.number = n + 1;
            r.hash = RecordHash::chained(previous, r);
            if (!RecordRows::insert(db, r, previous, &why))
                qFatal("%s", qPrintable(why));
            previous = r.hash;
        }
        if (!db.commit())
            qFatal("journal not filled");
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-fill");
    return path;
}

void listOneInstrument(benchmark::State &state) {
    RecordStore store;
    store.open(journal(), nullptr);
    for (auto _ : state) {
        const std::vector<CalibrationRecord> listed = store.list({Listed});
        if (listed.size() != ListedRecords)
            state.SkipWithError("the instrument's records not all listed");
        benchmark::DoNotOptimize(listed.data());
    }
    state.counters["records"] = double(ListedRecords);
}

void lastOfInstrument(benchmark::State &state) {
    RecordStore store;
    store.open(journal(), nullptr);
    for (auto _ : state) {
        const std::optional<CalibrationRecord> last = store.last(Listed);
        if (!last)
            state.SkipWithError("no newest record");
        benchmark::DoNotOptimize(last->number);
    }
}

// One record kept, read back and checked, as the window does after a
// calibration: the commit waits for the disk.
void addRecord(benchmark::State &state) {
    RecordStore store;
    store.open(journal(), nullptr);
    int n = 0;
    for (auto _ : state)
        if (!store.add(record(Listed + 1, n++), nullptr))
            state.SkipWithError("record not kept");
}
} // namespace

BENCHMARK(listOneInstrument)->Name("Records/list_one_of_100000")->Unit(benchmark::kMillisecond);
BENCHMARK(lastOfInstrument)->Name("Records/last_of_100000")->Unit(benchmark::kMillisecond);
BENCHMARK(addRecord)->Name("Records/add_to_100000")->Unit(benchmark::kMillisecond);
