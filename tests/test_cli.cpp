// ze23-cli driven in-process over virtual instruments on a virtual clock: each
// tick moves the clock on instead of waiting, so a three-second silence takes
// no time. Exit statuses, files, several adapters at once, values confirmed
// or not, refusals and the ways a job ends early.

#include "cli/BenchCli.h"
#include "sim/CatalyticSensorModel.h"
#include "sim/OxygenBlockModel.h"
#include "sim/SimFtDriver.h"
#include "testsupport/FakeFtDriver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Bench {
    std::int64_t now = 0;
    SimFtDriver sim{[this] { return now; }};
    FakeFtDriver hardware; // no real adapters unless a test adds some
    QString out, err;

    // `line` split at spaces; "@N" names the N-th virtual adapter.
    int run(const QString &line) {
        QStringList args{"ze23-cli"};
        for (QString a : line.split(' ', Qt::SkipEmptyParts)) {
            if (a.startsWith('@'))
                a = QString::fromStdString(sim.serialNumber(a.mid(1).toUInt()));
            args << a;
        }
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        BenchCli cli(hardware, sim, o, e, [this](int ms) { now += ms; });
        const int status = cli.run(args);
        o.flush();
        e.flush();
        return status;
    }
    QJsonObject load(const QString &path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    void store(const QString &path, const QJsonObject &snapshot) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QJsonDocument(snapshot).toJson());
    }
};

// snapshot["blocks"][block]["settings"][key]["value"] = value
void setValue(QJsonObject &snapshot, int block, const QString &key, int value) {
    QJsonArray blocks = snapshot["blocks"].toArray();
    QJsonObject b = blocks[block].toObject();
    QJsonObject settings = b["settings"].toObject();
    settings[key] = QJsonObject{{"value", value}};
    b["settings"] = settings;
    blocks[block] = b;
    snapshot["blocks"] = blocks;
}
} // namespace

class TestCli : public QObject {
    Q_OBJECT

  private slots:
    void statuses_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("list") << "--simulate list" << 0 << "ЗЭ-23 виртуальный: Кислород";
        QTest::newRow("list, JSON") << "--simulate list --json" << 0 << "\"adapter\":\"FTV1";
        QTest::newRow("identify") << "--simulate identify @0" << 0 << "вид 1, ЗЭ11.2к   № 23101";
        QTest::newRow("unknown adapter") << "--simulate identify NOSUCH" << 1 << "не найден";
        QTest::newRow("help") << "--help" << 0 << "Пример: ze23-cli write";
        QTest::newRow("help, a command") << "help write" << 0 << "Пример: ze23-cli write";
        QTest::newRow("help, the whole") << "help" << 0 << "Пример: ze23-cli stand";
        QTest::newRow("help, no such command") << "help erase" << 2 << "команды «erase» нет";
        QTest::newRow("help, two commands") << "help read write" << 2 << "одну команду";
        QTest::newRow("version") << "--version" << 0 << "ze23-cli 1.0";
        QTest::newRow("no command") << "--simulate" << 2 << "не указана команда";
        QTest::newRow("unknown command") << "erase @0" << 2 << "неизвестная команда";
        QTest::newRow("unknown option") << "--force list" << 2 << "force";
        QTest::newRow("no adapter") << "identify" << 2 << "не указан адаптер";
        QTest::newRow("no file") << "write @0" << 2 << "файл";
        QTest::newRow("--save off write") << "identify @0 --save" << 2 << "--save";
        QTest::newRow("channel 33") << "stand @0 33" << 2 << "от 1 до 32";
        QTest::newRow("adapter twice") << "identify @0 @0" << 2 << "дважды";
        QTest::newRow("several, no -o") << "read @0 @1" << 2 << "-o";
        QTest::newRow("several, one file") << "read @0 @1 -o x.json" << 2 << "{serial}";
        QTest::newRow("no such file") << "--simulate write @0 /no/such.json" << 1 << "не прочитан";
        // A path pasted by mistake is echoed by its ends, not whole.
        const QString long_ = "/no/" + QString(100'000, 'x') + ".json";
        QTest::newRow("a 100 kB file name")
            << "--simulate diff @0 " + long_ << 1 << long_.left(60) + "…" + long_.right(60);
    }
    void statuses() {
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(QString, says);
        Bench b;
        QCOMPARE(b.run(line), status);
        QVERIFY2((b.out + b.err).contains(says), qPrintable((b.out + b.err).left(2000)));
        QVERIFY((b.out + b.err).size() < 10'000);
    }

    // Read into a file, change it, write it back: confirmed but not kept;
    // again with --save, nothing left to write, and now kept.
    void readChangeWriteAndKeep() {
        Bench b;
        QTemporaryDir dir;
        const QString pattern = dir.filePath("{adapter}.json");
        QCOMPARE(b.run("--simulate read @0 -o " + pattern), 0);
        const QString file = dir.filePath(QString::fromStdString(b.sim.serialNumber(0)) + ".json");
        QJsonObject snapshot = b.load(file);
        QCOMPARE(snapshot["serialNumber"].toInt(), 23101);
        CatalyticSensorModel &tks = *b.sim.instrument(0).catalytic();
        const int keptBefore = tks.saved().threshold1;
        setValue(snapshot, 0, "threshold1", keptBefore + 7);
        b.store(file, snapshot);

        QCOMPARE(b.run("--simulate diff @0 " + file), 0);
        QVERIFY2(
            b.out.contains(QString("tks.threshold1: %1 → %2").arg(keptBefore).arg(keptBefore + 7)),
            qPrintable(b.out));
        QCOMPARE(b.run("--simulate write @0 " + file), 0);
        QVERIFY2(
            b.out.contains("tks.threshold1 = " + QString::number(keptBefore + 7) + " подтверждено"),
            qPrintable(b.out));
        QCOMPARE(tks.working().threshold1, keptBefore + 7);
        QCOMPARE(tks.saved().threshold1, keptBefore);

        QCOMPARE(b.run("--simulate write @0 " + file + " --save"), 0);
        QVERIFY2(b.out.contains("записывать нечего") && b.out.contains("сохранено"),
                 qPrintable(b.out));
        QCOMPARE(tks.saved().threshold1, keptBefore + 7);
        QCOMPARE(b.run("--simulate diff @0 " + file), 0);
        QVERIFY(b.out.contains("отличий от файла нет"));
    }

    // Every kind at once: one line each, in about the time of one.
    void severalAdaptersAtOnce() {
        Bench b;
        QTemporaryDir dir;
        QCOMPARE(b.run("--simulate read @0"), 0);
        const std::int64_t one = b.now;
        b.now = 0;
        QCOMPARE(b.run("--simulate read @0 @1 @2 @3 @4 @5 -o " + dir.filePath("{serial}.json")), 0);
        QVERIFY2(b.now < 2 * one, qPrintable(QString("%1 ms against %2").arg(b.now).arg(one)));
        QCOMPARE(b.out.count('\n'), 6);
        for (int serial : {23101, 23202, 23303, 23404, 23505, 23707})
            QVERIFY(QFile::exists(dir.filePath(QString::number(serial) + ".json")));

        // The oxygen front end and a catalytic threshold written together, and kept.
        QJsonObject oxygen = b.load(dir.filePath("23707.json"));
        setValue(oxygen, 0, "frontEndGain", 20);
        setValue(oxygen, 0, "threshold3", 260);
        b.store(dir.filePath("23707.json"), oxygen);
        QCOMPARE(b.run("--simulate --json write @5 " + dir.filePath("23707.json") + " --save"), 0);
        const QJsonObject result = QJsonDocument::fromJson(b.out.toUtf8()).object();
        QCOMPARE(result["saved"].toBool(), true);
        QCOMPARE(result["values"].toArray().size(), 2);
        QCOMPARE(b.sim.instrument(5).oxygen()->frontEnd().gain, std::uint8_t(20));
        QCOMPARE(b.sim.instrument(5).oxygen()->saved().threshold3, 260);
    }

    // The block answers the write but keeps nothing: not confirmed, not kept.
    void lostWriteIsNotConfirmed() {
        Bench b;
        QTemporaryDir dir;
        const QString file = dir.filePath("tksPgs.json");
        QCOMPARE(b.run("--simulate read @1 -o " + file), 0);
        CatalyticSensorModel &tks = *b.sim.instrument(1).catalytic();
        const int before = tks.working().threshold2;
        QJsonObject snapshot = b.load(file);
        setValue(snapshot, 0, "threshold2", before + 1);
        b.store(file, snapshot);
        tks.setWritesLost(true);
        QCOMPARE(b.run("--simulate write @1 " + file + " --save"), 1);
        QVERIFY2(b.out.contains(QString("tksPgs.threshold2 = %1 НЕ подтверждено (блок вернул %2)")
                                    .arg(before + 1)
                                    .arg(before)),
                 qPrintable(b.out));
        QVERIFY(b.out.contains("не сохранено"));
        QCOMPARE(tks.saved().threshold2, before);
    }

    // Refused files leave the sensor block untouched: nothing goes past the base.
    void refusedFilesAreNotWritten_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("another kind")
            << "threshold1" << 60 << 2 << "вида 2, а подключён прибор вида 1";
        QTest::newRow("out of range") << "threshold1" << 1000 << 1 << "допустимо от 0 до 999";
        QTest::newRow("no such setting") << "gain" << 1 << 1 << "нет настройки";
    }
    void refusedFilesAreNotWritten() {
        QFETCH(QString, key);
        QFETCH(int, value);
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        Bench b;
        QTemporaryDir dir;
        const QString file = dir.filePath("s.json");
        QCOMPARE(b.run("--simulate read @0 -o " + file), 0);
        QJsonObject snapshot = b.load(file);
        snapshot["kind"] = kind;
        setValue(snapshot, 0, key, value);
        b.store(file, snapshot);
        b.sim.clearWritten(0);
        QCOMPARE(b.run("--simulate write @0 " + file + " --save"), 1);
        QVERIFY2(b.out.contains(refusal), qPrintable(b.out));
        for (const Frame &f : b.sim.written(0))
            QCOMPARE(f[0], std::uint8_t(0x80));
        QCOMPARE(b.run("--simulate diff @0 " + file), 1);
        QVERIFY(b.out.contains(refusal));
    }

    // A file that names something twice is refused before any adapter is opened.
    void repeatedNamesAreRefused_data() {
        QTest::addColumn<QString>("blocks");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("block twice") << R"({"block":"tks","settings":{"threshold1":{"value":60}}},
               {"block":"tks","settings":{"threshold1":{"value":70}}})"
                                     << "блок «tks» указан в файле дважды";
        QTest::newRow("setting twice")
            << R"({"block":"tks","settings":{"threshold1":{"value":60},"threshold1":{"value":70}}})"
            << "настройка «tks.threshold1» указана в файле дважды";
    }
    void repeatedNamesAreRefused() {
        QFETCH(QString, blocks);
        QFETCH(QString, refusal);
        Bench b;
        QTemporaryDir dir;
        QFile f(dir.filePath("twice.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"format":"ze23-settings","formatVersion":1,"kind":1,"serialNumber":23101,)"
                R"("blocks":[)" +
                blocks.toUtf8() + "]}");
        f.close();
        QCOMPARE(b.run("--simulate write @0 " + f.fileName() + " --save"), 1);
        QVERIFY2(b.err.contains(refusal), qPrintable(b.err));
        QVERIFY(b.sim.written(0).empty());
    }

    void standSelectsChannel() {
        Bench b;
        QCOMPARE(b.run("--simulate stand @3 17"), 0);
        QCOMPARE(b.sim.instrument(3).channel(), std::uint8_t(17));
        QCOMPARE(b.sim.written(3).front(), sealed(Frame{0x80, 0x0C, 17, 0, 0, 0, 0}));
    }

    // Line trouble is got over by the resynchronising receive and the resends.
    void readsThroughLineTrouble_data() {
        QTest::addColumn<int>("fault");
        QTest::newRow("stray byte") << 0;
        QTest::newRow("bad checksum") << 1;
        QTest::newRow("lost replies") << 2;
        QTest::newRow("lost byte") << 3;
    }
    void readsThroughLineTrouble() {
        QFETCH(int, fault);
        Bench b;
        SimFaults &f = b.sim.faults(0);
        switch (fault) {
        case 0:
            f.garbageBefore = 0x8F;
            break;
        case 1:
            f.corruptChecksum = true;
            break;
        case 2:
            f.dropReplies = 2;
            break;
        case 3:
            f.dropByteAt = 3;
            break;
        }
        QCOMPARE(b.run("--simulate read @0"), 0);
        QVERIFY(b.out.contains("\"serialNumber\": 23101"));
    }

    // A job that cannot go on ends with the reason, within a few seconds.
    void failuresEndTheJob_data() {
        QTest::addColumn<int>("trouble");
        QTest::addColumn<QString>("says");
        QTest::newRow("silent instrument") << 0 << "прибор не отвечает";
        QTest::newRow("silent block") << 1 << "не ответил на код";
        QTest::newRow("adapter busy") << 2 << "Адаптер занят другой программой";
        QTest::newRow("write fails") << 3 << "FT_Write - General IO error";
    }
    void failuresEndTheJob() {
        QFETCH(int, trouble);
        QFETCH(QString, says);
        Bench b;
        b.hardware.adapters = {{"FT232R USB UART", "FT0REAL1"}};
        QString line = "--simulate identify FT0REAL1 @0";
        if (trouble == 0) {
            b.sim.faults(0).dropReplies = 1 << 30;
            line = "--simulate identify @0";
        } else if (trouble == 1) {
            b.sim.instrument(0).setSensorLinkLost(true);
            line = "--simulate read @0";
        } else if (trouble == 2) {
            b.hardware.failWith(FakeFtDriver::Op::Open, FT_DEVICE_NOT_OPENED);
            b.hardware.setTrouble(LinkTrouble::Busy);
            line = "identify FT0REAL1";
        } else {
            b.hardware.failWith(FakeFtDriver::Op::Write, FT_IO_ERROR);
        }
        QCOMPARE(b.run(line), 1);
        QVERIFY2((b.out + b.err).contains(says), qPrintable(b.out + b.err));
        QVERIFY(b.now <= 3500);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
