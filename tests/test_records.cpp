// The journal of calibrations on a real SQLite file in a temporary folder:
// a full record reads back equal after reopening, numbers only grow, a write
// that fails half-way leaves nothing, and a journal that cannot be opened
// says why.

#include "RecordSample.h"
#include "records/RecordStore.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A second connection to the same file, for what the store must not see
// coming: a planted fault, a count of raw rows, a change behind its back.
class RawFile {
  public:
    explicit RawFile(const QString &path) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", Name);
        db.setDatabaseName(path);
        db.open();
    }
    ~RawFile() { QSqlDatabase::removeDatabase(Name); }
    bool exec(const QString &sql) {
        QSqlDatabase db = QSqlDatabase::database(Name);
        QSqlQuery q(db);
        return q.exec(sql);
    }
    int count(const QString &table) {
        QSqlDatabase db = QSqlDatabase::database(Name);
        QSqlQuery q(db);
        q.exec("SELECT count(*) FROM " + table);
        return q.next() ? q.value(0).toInt() : -1;
    }

  private:
    static constexpr const char *Name = "raw";
};

const QStringList Tables{"records", "versions", "measurements", "points", "settings_after"};
} // namespace

class TestRecords : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file() const { return dir_.filePath("journal/records.sqlite"); }

  private slots:
    void init() { QFile::remove(file()); }

    void fullRecordReadsBackAfterReopening() {
        CalibrationRecord asked = sampleRecord();
        asked.measurements.push_back(sampleAlarmCheck());
        asked.number = 77; // the store's to give
        std::int64_t number = 0;
        {
            RecordStore store;
            QString error;
            QVERIFY2(store.open(file(), &error), qPrintable(error));
            const auto added = store.add(asked, &error);
            QVERIFY2(added, qPrintable(error));
            number = *added;
        }
        RecordStore again;
        QVERIFY(again.open(file(), nullptr));
        asked.number = number;
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
        QTest::newRow("all") << std::vector<int>{} << std::vector<int>{0, 1, 2, 3, 4};
        QTest::newRow("one") << std::vector<int>{101} << std::vector<int>{0, 3};
        QTest::newRow("two") << std::vector<int>{303, 101} << std::vector<int>{0, 2, 3};
        QTest::newRow("unknown") << std::vector<int>{999} << std::vector<int>{};
    }
    void numbersGrowAndListsSelect() {
        QFETCH(std::vector<int>, serials);
        QFETCH(std::vector<int>, expected);
        RecordStore store;
        QVERIFY(store.open(file(), nullptr));
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
        QCOMPARE(store.last(101)->number, numbers[3]);
        QVERIFY(!store.last(999));
    }

    // A fault planted in one child table (or a text the journal cannot keep as
    // it is) fails the add; nothing of it stays, and the next add goes in.
    void failedWriteLeavesNoTrace_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QByteArray>("technician");
        QTest::newRow("measurement")
            << "measurements WHEN NEW.point = 'Газ из баллона'" << QByteArray("Петрова А. С.");
        QTest::newRow("adjusted point") << "points WHEN NEW.seq = 2" << QByteArray("Петрова А. С.");
        QTest::newRow("setting after") << "settings_after" << QByteArray("Петрова А. С.");
        QTest::newRow("text not UTF-8") << "" << QByteArray("Петрова \xff\xfe");
    }
    void failedWriteLeavesNoTrace() {
        QFETCH(QString, trigger);
        QFETCH(QByteArray, technician);
        RecordStore store;
        QVERIFY(store.open(file(), nullptr));
        QVERIFY(store.add(sampleRecord(), nullptr));
        RawFile raw(file());
        if (!trigger.isEmpty()) {
            const QString table = trigger.section(' ', 0, 0);
            const QString when = trigger.section(' ', 1);
            QVERIFY(raw.exec("CREATE TRIGGER planted BEFORE INSERT ON " + table + " " + when +
                             " BEGIN SELECT RAISE(ABORT, 'сбой'); END"));
        }
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

        raw.exec("DROP TRIGGER planted");
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
        QVERIFY(store.open(file(), nullptr));
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
        QVERIFY(store.open(file(), nullptr));
        const auto n = store.add(sampleRecord(), nullptr);
        RawFile raw(file());
        QVERIFY(!raw.exec("UPDATE records SET serial = 1"));
        QVERIFY(!raw.exec("DELETE FROM measurements"));
        QVERIFY(store.find(*n) == [&] {
            CalibrationRecord r = sampleRecord();
            r.number = *n;
            return r;
        }());
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
        QTest::newRow("newer layout") << "newer.sqlite" << QByteArray() << "более новая";
    }
    void openRefusesWithReason() {
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
        if (path == "newer.sqlite") {
            RecordStore made;
            QVERIFY(made.open(target, nullptr));
            RawFile raw(target);
            QVERIFY(raw.exec("UPDATE schema_version SET version = 2"));
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
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "test_records.moc"
