// A bench's journal against what its computer remembers of it: the head file
// kept beside the journal (its rights, its reading back, a damaged one), the
// words for what a journal lacks against it, the newest records taken out
// behind the store's back seen on opening and their numbers never given
// again, and a journal copied to a second computer or put back from a backup:
// said so, its records kept but held back from the server until it takes a
// new bench id, and sent again once it has.

#include "RecordSample.h"
#include "records/BenchHead.h"
#include "records/BenchStanding.h"
#include "records/Outbox.h"
#include "records/RecordStore.h"
#include "records/ThisComputer.h"
#include "testsupport/BehindTheStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const std::string Bench = "a1b2c3d4e5f6";
const std::string HashA(64, 'a'), HashB(64, 'b');

// Takes out the journal's records from number `from` on, with their rows,
// the triggers that refuse it dropped first.
bool removeFrom(const QString &file, int from) {
    QStringList s;
    for (const char *t :
         {"records", "versions", "measurements", "points", "settings_after", "gas_cylinders"})
        s << QString("DROP TRIGGER %1_delete_refused").arg(t);
    for (const char *t : {"versions", "measurements", "points", "settings_after", "gas_cylinders"})
        s << QString("DELETE FROM %1 WHERE record >= %2").arg(t).arg(from);
    s << QString("DELETE FROM records WHERE number >= %1").arg(from);
    return behind(file, s);
}

// The permission bits for owner, group and others.
QFile::Permissions modeOf(const QString &path) {
    return QFile::permissions(path) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}

int rows(const QString &file, const QString &table) {
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "rows");
        db.setDatabaseName(file);
        QSqlQuery q(db);
        if (db.open() && q.exec("SELECT count(*) FROM " + table) && q.next())
            n = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("rows");
    return n;
}
} // namespace

class TestBenchHead : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString path(const QString &name) const { return dir_->filePath(name); }
    // Each computer's folder of heads.
    QString heads(const QString &computer) const { return path("heads-" + computer); }

    // A store on `file` as the computer `computer` ("a", "b") opens it.
    std::unique_ptr<RecordStore> on(const QString &computer, const QString &file) {
        auto s = std::make_unique<RecordStore>();
        s->setHeadFolder(heads(computer));
        s->setMachine("machine-" + computer);
        QString why;
        if (!s->open(file, &why)) {
            qWarning() << why;
            return nullptr;
        }
        return s;
    }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }

    // What a journal lacks against the head: nothing, its newest record, a
    // run of them, all, one put in another's place, or fewer up to the
    // head's number.
    void shortfallInWords_data() {
        QTest::addColumn<qint64>("records");
        QTest::addColumn<qint64>("highest");
        QTest::addColumn<QString>("hashAtLast"); // "a", "b" or none
        QTest::addColumn<QString>("says");
        QTest::newRow("as remembered") << qint64(5) << qint64(5) << "a"
                                       << "";
        QTest::newRow("newest removed")
            << qint64(4) << qint64(4) << ""
            << "Из журнала удалена запись рабочего места a1b2c3d4e5f6 № 5 по его счёту";
        QTest::newRow("newest three removed")
            << qint64(2) << qint64(2) << ""
            << "Из журнала удалены записи рабочего места a1b2c3d4e5f6 с № 3 по № 5 по его счёту";
        QTest::newRow("all removed")
            << qint64(0) << qint64(0) << ""
            << "Из журнала удалены записи рабочего места a1b2c3d4e5f6 с № 1 по № 5 по его счёту";
        QTest::newRow("another in its place")
            << qint64(5) << qint64(5) << "b"
            << "Запись a1b2c3d4e5f6-5 в журнале не та, что была сохранена на этом компьютере";
        QTest::newRow("fewer before it") << qint64(3) << qint64(5) << "a"
                                         << "Из журнала удалены записи рабочего места "
                                            "a1b2c3d4e5f6: до № 5 по его счёту в нём 3 записи, а "
                                            "сохранено было 5";
    }
    void shortfallInWords() {
        QFETCH(qint64, records);
        QFETCH(qint64, highest);
        QFETCH(QString, hashAtLast);
        QFETCH(QString, says);
        BenchHeads::Held held{records, highest, std::nullopt};
        if (!hashAtLast.isEmpty())
            held.hashAtLast = hashAtLast == "a" ? HashA : HashB;
        QCOMPARE(BenchHeads::shortfall({Bench, 5, 5, HashA}, held), says);
    }

    // How a journal stands on this computer, by its newest bench row and its
    // head here.
    void standingByRowAndHead_data() {
        QTest::addColumn<QString>("rowMachine");
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("here"); // this computer; empty: not known
        QTest::addColumn<bool>("shortOfHead");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("says");
        using K = BenchStanding::Kind;
        QTest::newRow("own") << "m1"
                             << ""
                             << "m1" << false << int(K::Own) << "";
        QTest::newRow("row from before") << ""
                                         << ""
                                         << "m1" << false << int(K::Own) << "";
        QTest::newRow("this computer not known") << "m2"
                                                 << ""
                                                 << "" << false << int(K::Own) << "";
        QTest::newRow("another computer's")
            << "m2"
            << ""
            << "m1" << false << int(K::Copied) << "ведётся на другом компьютере";
        QTest::newRow("another's, short too")
            << "m2"
            << ""
            << "m1" << true << int(K::Copied) << "ведётся на другом компьютере";
        QTest::newRow("put back") << "m1"
                                  << ""
                                  << "m1" << true << int(K::Restored)
                                  << "восстановлен из резервной копии или из него удалены";
        QTest::newRow("copy, records held")
            << "m1"
            << "copy"
            << "m1" << false << int(K::Held) << "с № 7 по счёту этого места";
        QTest::newRow("put back, records held")
            << "m1"
            << "restored"
            << "m1" << true << int(K::Held) << "восстановлен из резервной";
    }
    void standingByRowAndHead() {
        QFETCH(QString, rowMachine);
        QFETCH(QString, held);
        QFETCH(QString, here);
        QFETCH(bool, shortOfHead);
        QFETCH(int, kind);
        QFETCH(QString, says);
        BenchHistory::Row row;
        row.id = Bench;
        row.machine = rowMachine;
        row.held = held;
        row.heldFrom = held.isEmpty() ? 0 : 7;
        const BenchStanding s = BenchStandings::judge(
            row, here, shortOfHead ? QString("удалены записи") : QString(), "records.sqlite");
        QCOMPARE(int(s.kind), kind);
        QVERIFY2(s.note.contains(says) && s.note.isEmpty() == says.isEmpty(), qPrintable(s.note));
    }

    // The same machine id gives the same computer, blanks aside; none gives
    // none, and this computer's is a hash, never the id itself.
    void computerFromItsMachineId() {
        QCOMPARE(ThisComputer::machineOf("3d1219c7\n"), ThisComputer::machineOf("3d1219c7"));
        QVERIFY(ThisComputer::machineOf("3d1219c7") != ThisComputer::machineOf("3d1219c8"));
        QCOMPARE(ThisComputer::machineOf(" \n"), QString());
        QCOMPARE(ThisComputer::machineOf("3d1219c7").size(), 16);
        QFile id("/etc/machine-id");
        if (id.open(QIODevice::ReadOnly)) {
            const QByteArray text = id.readAll().trimmed();
            QCOMPARE(ThisComputer::machine(), ThisComputer::machineOf(text));
            QVERIFY(!ThisComputer::machine().contains(QString::fromLatin1(text)));
        }
    }

    // Written for its owner alone, read back as written; a damaged one is
    // said so and not taken; an id that is no bench's names no file.
    void headFileKeptForItsOwner() {
        const QString folder = path("data/benches");
        QString why;
        QVERIFY(!BenchHeads::read(folder, Bench, &why) && why.isEmpty());
        const BenchHead head{Bench, 3, 4, HashA};
        QVERIFY2(BenchHeads::write(folder, head, &why), qPrintable(why));
        QCOMPARE(BenchHeads::read(folder, Bench, &why), std::optional(head));
        const QString file = BenchHeads::pathOf(folder, Bench);
        QCOMPARE(file, folder + "/a1b2c3d4e5f6.head");
        QCOMPARE(modeOf(file), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(modeOf(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QByteArray &damaged :
             {QByteArray("{\"bench\":\"a1b2c3d4e5f6\",\"records\":3}"), QByteArray("не JSON"),
              QByteArray("{\"bench\":\"ffffffffffff\",\"records\":3,\"last\":4,\"hash\":\"" +
                         QByteArray(64, 'a') + "\"}")}) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(damaged);
            f.close();
            QVERIFY(!BenchHeads::read(folder, Bench, &why));
            QVERIFY2(why.contains("нет сведений о последней записи рабочего места a1b2c3d4e5f6"),
                     qPrintable(why));
        }
        QCOMPARE(BenchHeads::pathOf(folder, "../../etc"), QString());
        QVERIFY(!BenchHeads::write(folder, {"../../etc", 1, 1, HashA}, &why));
        // A folder where the file would go: refused, left as it is.
        QVERIFY(QDir().mkpath(BenchHeads::pathOf(folder, "0123456789ab")));
        QVERIFY(!BenchHeads::write(folder, {"0123456789ab", 1, 1, HashA}, &why));
        QVERIFY2(why.contains("0123456789ab.head не записан"), qPrintable(why));
        QVERIFY(QFileInfo(BenchHeads::pathOf(folder, "0123456789ab")).isDir());
    }

    // The newest records taken out behind the store's back: the store says so
    // on opening, names them, and the bench's next number is above every
    // number it gave; a head is never lowered; a journal whose head was not
    // kept yet gets one on opening.
    void removedNewestRecordsShow_data() {
        QTest::addColumn<int>("removedFrom"); // the journal's number
        QTest::addColumn<QString>("says");
        QTest::newRow("newest") << 3 << "удалена запись рабочего места {bench} № 3 по его счёту";
        QTest::newRow("two newest") << 2 << "удалены записи рабочего места {bench} с № 2 по № 3";
        QTest::newRow("all") << 1 << "удалены записи рабочего места {bench} с № 1 по № 3";
    }
    void removedNewestRecordsShow() {
        QFETCH(int, removedFrom);
        QFETCH(QString, says);
        const QString file = path("records.sqlite");
        std::string bench;
        {
            auto a = on("a", file);
            QVERIFY(a);
            bench = a->bench();
            for (int serial : {101, 202, 303})
                QVERIFY(a->add(sampleRecord(serial), nullptr));
            QVERIFY(a->headError().isEmpty());
            QCOMPARE(a->checkHeads(), QStringList());
        }
        says.replace("{bench}", QString::fromStdString(bench));
        QVERIFY(removeFrom(file, removedFrom));
        auto a = on("a", file);
        QVERIFY(a);
        QCOMPARE(a->verify().finding, ChainCheck::Finding::Intact); // the chain alone sees nothing
        QCOMPARE(a->checkHeads().size(), 1);
        QVERIFY2(a->checkHeads()[0].contains(says), qPrintable(a->checkHeads()[0]));
        QCOMPARE(a->standing().kind, BenchStanding::Kind::Restored);
        QVERIFY2(a->standing().note.contains(says), qPrintable(a->standing().note));
        const auto next = a->add(sampleRecord(404), nullptr);
        QVERIFY(next);
        QCOMPARE(a->find(*next)->benchNumber, 4);
        QCOMPARE(a->find(*next)->bench, bench);
        // Still named, with the gap before the new one.
        QVERIFY(a->checkHeads()[0].contains(says));
        QCOMPARE(a->verify().finding, ChainCheck::Finding::Missing);
        QString why;
        QCOMPARE(BenchHeads::read(heads("a"), bench, &why)->last, 3);

        // Another computer's view knows no head: nothing to say.
        auto b = on("b", file);
        QVERIFY(b);
        QCOMPARE(b->checkHeads(), QStringList());
    }

    // A journal kept before heads were: its head is taken on opening, so that
    // its newest record taken out after that shows.
    void journalWithoutAHeadGetsOne() {
        const QString file = path("records.sqlite");
        {
            auto a = on("a", file);
            QVERIFY(a);
            QVERIFY(a->add(sampleRecord(101), nullptr) && a->add(sampleRecord(202), nullptr));
        }
        QVERIFY(QDir(heads("a")).removeRecursively());
        QVERIFY(on("a", file));
        QString why;
        const auto head = BenchHeads::read(heads("a"), on("a", file)->bench(), &why);
        QVERIFY(head);
        QCOMPARE(head->records, 2);
        QCOMPARE(head->last, 2);
        QVERIFY(removeFrom(file, 2));
        QCOMPARE(on("a", file)->checkHeads().size(), 1);
    }

    // The journal's computer: a journal from before gets it on first opening
    // by a row added; a computer not known adds none.
    void firstOpeningNamesTheComputer() {
        const QString file = path("records.sqlite");
        {
            RecordStore unknown;
            unknown.setHeadFolder(heads("x"));
            unknown.setMachine(QString());
            QVERIFY(unknown.open(file, nullptr));
        }
        QCOMPARE(rows(file, "this_bench"), 1);
        QCOMPARE(rows(file, "this_bench WHERE machine = ''"), 1);
        QVERIFY(on("a", file));
        QCOMPARE(rows(file, "this_bench"), 2);
        QCOMPARE(rows(file, "this_bench WHERE machine = 'machine-a' AND seq = 1"), 1);
        QVERIFY(on("a", file));
        QCOMPARE(rows(file, "this_bench"), 2);
        // Rows are only added: neither changed nor taken out, nor replaced.
        QVERIFY(!behind(file, {"UPDATE this_bench SET machine = 'machine-b'"}));
        QVERIFY(!behind(file, {"DELETE FROM this_bench WHERE seq = 1"}));
        QVERIFY(!behind(file, {"INSERT OR REPLACE INTO this_bench (seq, id, machine) VALUES (1, "
                               "'a1b2c3d4e5f6', 'machine-b')"}));
        QCOMPARE(rows(file, "this_bench WHERE machine = 'machine-a'"), 1);
    }

    // A bench's journal copied to a second computer: each keeps records, the
    // copy's stay on it and are held back from the server (which takes the
    // first computer's), nothing jams; the copy takes a new bench id and its
    // records from then on are sent. Records kept before the copy are sent
    // from either.
    void copyOnASecondComputer() {
        const QString file = path("a.sqlite"), copy = path("b.sqlite");
        const QString shared = path("shared.sqlite");
        auto server = on("server", shared);
        QVERIFY(server);
        {
            auto a = on("a", file);
            QVERIFY(a);
            QVERIFY(a->add(sampleRecord(101), nullptr));
        }
        QVERIFY(QFile::copy(file, copy));
        auto a = on("a", file), b = on("b", copy);
        QVERIFY(a && b);
        QCOMPARE(a->standing().kind, BenchStanding::Kind::Own);
        QCOMPARE(b->standing().kind, BenchStanding::Kind::Copied);
        QVERIFY(b->standing().note.contains("ведётся на другом компьютере"));
        const std::string x = a->bench();

        QVERIFY(a->add(sampleRecord(202), nullptr));
        const auto kept = b->add(sampleRecord(303), nullptr);
        QVERIFY(kept);
        QCOMPARE(b->find(*kept)->bench, x);
        QCOMPARE(b->find(*kept)->benchNumber, 2);
        QCOMPARE(b->standing().kind, BenchStanding::Kind::Held);
        QCOMPARE(rows(copy, "this_bench WHERE held = 'copy' AND held_from = 2"), 1);
        // A second one held adds no second row.
        QVERIFY(b->add(sampleRecord(404), nullptr));
        QCOMPARE(rows(copy, "this_bench WHERE held <> ''"), 1);

        Outbox::Pass fromB = Outbox(*b).send(*server);
        QCOMPARE(fromB.error, QString());
        QCOMPARE(fromB.sent.size(), std::size_t(1)); // the record from before the copy
        QCOMPARE(fromB.waiting, 0);
        Outbox::Pass fromA = Outbox(*a).send(*server);
        QCOMPARE(fromA.error, QString());
        // Its first is there already, from the copy, and known as the same.
        QCOMPARE(fromA.sent.size(), std::size_t(2));
        QCOMPARE(fromA.waiting, 0);

        QString why;
        const auto y = b->takeNewBench(&why);
        QVERIFY2(y, qPrintable(why));
        QVERIFY(*y != x);
        QCOMPARE(b->bench(), *y);
        QCOMPARE(b->standing().kind, BenchStanding::Kind::Own);
        const auto next = b->add(sampleRecord(505), nullptr);
        QVERIFY(next);
        QCOMPARE(b->find(*next)->bench, *y);
        QCOMPARE(b->find(*next)->benchNumber, 1);
        // A correction of a record held back is held back with it: the
        // server could not name what it corrects, and nothing jams.
        CalibrationRecord correction = sampleRecord(303, "2026-12-09T09:00:00");
        correction.corrects = *kept;
        QVERIFY(b->add(correction, nullptr));
        fromB = Outbox(*b).send(*server);
        QCOMPARE(fromB.error, QString());
        QCOMPARE(fromB.sent.size(), std::size_t(1));
        QCOMPARE(fromB.waiting, 0);
        // Nothing lost or changed on the copy: its held records are there as kept.
        QCOMPARE(b->list().size(), std::size_t(5));
        QCOMPARE(b->verify().finding, ChainCheck::Finding::Intact);
        QCOMPARE(server->list().size(), std::size_t(3));
        QCOMPARE(server->verify().finding, ChainCheck::Finding::Intact);
    }

    // A journal put back from a backup on its own computer: the records
    // taken since are named, the next is numbered above them and held back
    // (the server took the lost ones under those numbers), and once a new id
    // is taken the outbox goes on.
    void journalPutBackFromABackup() {
        const QString file = path("a.sqlite"), backup = path("a-backup.sqlite");
        auto server = on("server", path("shared.sqlite"));
        QVERIFY(server);
        std::string x;
        {
            auto a = on("a", file);
            QVERIFY(a);
            x = a->bench();
            QVERIFY(a->add(sampleRecord(101), nullptr) && a->add(sampleRecord(202), nullptr));
            QVERIFY(QFile::copy(file, backup));
            QVERIFY(a->add(sampleRecord(303), nullptr) && a->add(sampleRecord(404), nullptr));
            QCOMPARE(Outbox(*a).send(*server).sent.size(), std::size_t(4));
        }
        QVERIFY(QFile::remove(file) && QFile::copy(backup, file));
        auto a = on("a", file);
        QVERIFY(a);
        QCOMPARE(a->standing().kind, BenchStanding::Kind::Restored);
        QVERIFY2(a->standing().note.contains("с № 3 по № 4"), qPrintable(a->standing().note));
        const auto kept = a->add(sampleRecord(505), nullptr);
        QVERIFY(kept);
        QCOMPARE(a->find(*kept)->benchNumber, 5);
        QCOMPARE(rows(file, "this_bench WHERE held = 'restored' AND held_from = 5"), 1);
        const Outbox::Pass held = Outbox(*a).send(*server);
        // The two from before go again, and are known there; the new one stays.
        QCOMPARE(held.error, QString());
        QCOMPARE(held.sent.size(), std::size_t(2));
        QCOMPARE(held.waiting, 0);
        QCOMPARE(server->list().size(), std::size_t(4));

        QString why;
        QVERIFY(a->takeNewBench(&why));
        QVERIFY(a->add(sampleRecord(606), nullptr));
        const Outbox::Pass after = Outbox(*a).send(*server);
        QCOMPARE(after.error, QString());
        QCOMPARE(after.sent.size(), std::size_t(1));
        QCOMPARE(server->list().size(), std::size_t(5));
        // The records taken out stay named.
        QCOMPARE(a->checkHeads().size(), 1);
        QVERIFY(a->checkHeads()[0].contains(QString::fromStdString(x) + " с № 3 по № 4"));
    }
};

QTEST_MAIN(TestBenchHead)
#include "test_bench_head.moc"
