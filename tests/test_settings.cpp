// Settings read from and written into blocks through the one description of
// what each block keeps, against virtual instruments; snapshots checked,
// compared and carried as JSON.

#include "protocol/InstrumentSession.h"
#include "settings/SnapshotJson.h"
#include "sim/CatalyticSensorModel.h"
#include "sim/VirtualInstrument.h"

#include <QTest>

namespace {
// Each turn the session's frame goes out and the instrument's answer, if
// any, comes straight back. Returns the codes sent.
template <class Session> QList<int> run(Session &session, VirtualInstrument &vi) {
    QList<int> codes;
    for (int turn = 0; turn < 1000; ++turn) {
        std::optional<Frame> f = session.nextFrame();
        if (f) {
            codes << (*f)[1];
            if (std::optional<Frame> reply = vi.answer(*f))
                session.takeReply(*reply);
        } else if (session.finished()) {
            break;
        }
    }
    return codes;
}

InstrumentSnapshot readAll(VirtualInstrument &vi) {
    InstrumentSession read = InstrumentSession::read(vi.kind(), vi.serialNumber());
    run(read, vi);
    return read.snapshot();
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT

  private slots:
    void readsEveryBlockOfTheKind() {
        VirtualInstrument vi(1, 4711);
        const InstrumentSnapshot snap = readAll(vi);
        QCOMPARE(snap.blocks.size(), std::size_t(2));
        const BlockSnapshot *tks = snap.block("tks");
        QVERIFY(tks);
        QCOMPARE(tks->version, std::optional<int>(VirtualInstrument::TksVersion));
        const CatalyticSensorModel::Settings &held = vi.catalytic()->working();
        QCOMPARE(tks->values.at("calibrationGas"), held.calibrationGas);
        QCOMPARE(tks->values.at("offThreshold"), held.offThreshold);
        QCOMPARE(snap.block("pump")->values.at("frequency"), vi.pumpFrequencyHz());
        QCOMPARE(snap.block("pump")->version, std::optional<int>(VirtualInstrument::PumpVersion));
    }

    // A paired word goes out with its partner's present value; the pump is
    // stepped; everything is read back and only then kept.
    void writesCheckAndKeep() {
        VirtualInstrument vi(1, 4711);
        const InstrumentSnapshot now = readAll(vi);
        InstrumentSnapshot wanted{1,
                                  4711,
                                  {{"tks", {}, {{"threshold1", 150}}},
                                   {"pump", {}, {{"frequency", vi.pumpFrequencyHz() + 3}}}}};
        InstrumentSession write = InstrumentSession::write(now, wanted, true);
        const QList<int> codes = run(write, vi);
        QCOMPARE(codes, (QList<int>{10, 3, 4, 4, 4, 4, 12, 7, 7}));
        QVERIFY(write.allConfirmed());
        QVERIFY(write.saved());
        QCOMPARE(vi.catalytic()->saved().threshold1, 150);
        QCOMPARE(vi.catalytic()->saved().calibrationGas,
                 now.block("tks")->values.at("calibrationGas"));
        QCOMPARE(write.checks().size(), std::size_t(2));
    }

    // A block that answers the write but keeps nothing: reported, not kept.
    void lostWritesAreNotKept() {
        VirtualInstrument vi(2, 4711);
        vi.catalytic()->setWritesLost(true);
        const InstrumentSnapshot now = readAll(vi);
        InstrumentSnapshot wanted{2, 4711, {{"tksPgs", {}, {{"threshold2", 321}}}}};
        InstrumentSession write = InstrumentSession::write(now, wanted, true);
        const QList<int> codes = run(write, vi);
        QVERIFY(!codes.contains(7));
        QVERIFY(!write.allConfirmed());
        QVERIFY(!write.saved());
        QCOMPARE(write.checks().front().value.readBack,
                 std::optional<int>(now.block("tksPgs")->values.at("threshold2")));
    }

    // Amplitude moves in steps of 5: 103 cannot be had, and the pump goes back
    // to what it held instead of staying one step past it.
    void unreachableStepLeavesThePumpAsItWas() {
        VirtualInstrument vi(1, 4711);
        const InstrumentSnapshot now = readAll(vi);
        const int held = vi.pumpAmplitude();
        InstrumentSnapshot wanted{1, 4711, {{"pump", {}, {{"amplitude", held + 3}}}}};
        InstrumentSession write = InstrumentSession::write(now, wanted, true);
        const QList<int> codes = run(write, vi);
        QCOMPARE(codes, (QList<int>{PumpCode::AmplitudeUp, PumpCode::AmplitudeDown, 12}));
        QCOMPARE(vi.pumpAmplitude(), held);
        QVERIFY(!write.allConfirmed());
        QVERIFY(!write.saved());
    }

    void silentBlockEndsTheSession() {
        SettingsSession s = SettingsSession::read(*blockSettings(Block::Tks));
        int sent = 0;
        for (int turn = 0; turn < 20; ++turn)
            sent += s.nextFrame() ? 1 : 0;
        QCOMPARE(sent, SettingsSession::Sends);
        QCOMPARE(s.outcome(), SettingsSession::Outcome::NoAnswer);
        QVERIFY(QString::fromStdString(s.failure()).contains("0x83"));
    }

    void refusals_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("fits") << 1 << "tks"
                              << "threshold1" << 999 << "";
        QTest::newRow("another kind") << 2 << "tks"
                                      << "threshold1" << 10 << "вида 1";
        QTest::newRow("another block") << 1 << "oxygen"
                                       << "threshold1" << 10 << "нет блока";
        QTest::newRow("no such setting") << 1 << "tks"
                                         << "gain" << 10 << "нет настройки";
        QTest::newRow("too big") << 1 << "tks"
                                 << "threshold1" << 1000 << "от 0 до 999";
        QTest::newRow("negative") << 7 << "oxygen"
                                  << "threshold3" << -1 << "от 0 до 9999";
    }
    void refusals() {
        QFETCH(int, kind);
        QFETCH(QString, block);
        QFETCH(QString, key);
        QFETCH(int, value);
        QFETCH(QString, refusal);
        const int snapshotKind = kind == 2 ? 1 : kind;
        const InstrumentSnapshot snap{
            snapshotKind, 1, {{block.toStdString(), {}, {{key.toStdString(), value}}}}};
        const std::vector<std::string> why = ::refusals(snap, kind);
        QCOMPARE(why.empty(), refusal.isEmpty());
        if (!why.empty())
            QVERIFY2(QString::fromStdString(why.front()).contains(refusal), why.front().c_str());
    }

    // What an oxygen block reports can be loaded back; front-end bytes the
    // page's groups cannot show, or only some of them, cannot.
    void frontEndBytesMustMeanChoices() {
        VirtualInstrument vi(7, 4711);
        InstrumentSnapshot snap = readAll(vi);
        QVERIFY(::refusals(snap, 7).empty());
        std::map<std::string, int> &oxygen = snap.blocks[0].values;
        oxygen["frontEndMode"] = 4; // an operating mode without an item
        QCOMPARE(::refusals(snap, 7).size(), std::size_t(1));
        oxygen.erase("frontEndMode");
        QCOMPARE(::refusals(snap, 7).size(), std::size_t(1));
    }

    void differencesAndJson() {
        const InstrumentSnapshot now{
            4, 77, {{"pgs", 0x13, {{"threshold1", 5}, {"threshold2", 9}}}}};
        InstrumentSnapshot wanted = now;
        wanted.blocks[0].values["threshold2"] = 10;
        const std::vector<SettingChange> changes = differences(now, wanted);
        QCOMPARE(changes.size(), std::size_t(1));
        QCOMPARE(changes[0].key, std::string("threshold2"));
        QVERIFY(!changes[0].writable); // the ПГС block takes its thresholds from the gas

        QString error;
        const std::optional<InstrumentSnapshot> back =
            SnapshotJson::fromJson(SnapshotJson::toJson(wanted), error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->serialNumber, 77);
        QCOMPARE(back->blocks[0].version, std::optional<int>(0x13));
        QVERIFY(differences(wanted, *back).empty());
        for (const char *bad : {"{", R"({"format":"other","formatVersion":1})",
                                R"({"format":"ze23-settings","formatVersion":1,"kind":1,)"
                                R"("serialNumber":2,"blocks":[{"block":"tks","settings":)"
                                R"({"threshold1":{"value":1.5}}}]})"}) {
            QVERIFY(!SnapshotJson::fromJson(bad, error));
            QVERIFY(!error.isEmpty());
        }
    }

    // Files a technician might hand over: a name given twice (which the
    // document would quietly keep one of) or a value no setting can hold is
    // refused with what is wrong; an empty refusal means the file is taken.
    void unsuitableFiles_data() {
        QTest::addColumn<QByteArray>("blocks");
        QTest::addColumn<QString>("refusal");
        const auto row = [](const char *name, const char *blocks, const char *refusal) {
            QTest::newRow(name) << QByteArray(blocks) << QString::fromUtf8(refusal);
        };
        row("block twice",
            R"([{"block":"tks","settings":{"threshold1":{"value":60}}},
                {"block":"tks","settings":{"threshold1":{"value":70}}}])",
            "блок «tks» указан в файле дважды");
        row("setting twice",
            R"([{"block":"tks","settings":{"threshold1":{"value":60},"threshold1":{"value":70}}}])",
            "настройка «tks.threshold1» указана в файле дважды");
        row("setting twice, once escaped",
            R"([{"block":"tks","settings":{"threshold1":{"value":60},"threshold\u0031":{"value":70}}}])",
            "настройка «tks.threshold1» указана в файле дважды");
        row("value twice", R"([{"block":"tks","settings":{"threshold1":{"value":60,"value":70}}}])",
            "поле «value» настройки «tks.threshold1» указано в файле дважды");
        row("block name twice", R"([{"block":"tks","block":"pump","settings":{}}])",
            "имя блока № 1 указано в файле дважды");
        row("repeat where nothing is read",
            R"([{"block":"tks","note":{"a":1,"a":2},"settings":{"threshold1":{"value":60}}}])", "");
        row("huge value", R"([{"block":"tks","settings":{"threshold1":{"value":2.3e65}}}])",
            "значение настройки «tks.threshold1» (2.3e+65) вне допустимого: от 0 до 999");
        row("huge value, unknown setting",
            R"([{"block":"tks","settings":{"gain":{"value":-1e300}}}])",
            "значение настройки «tks.gain» (-1e+300) не помещается ни в одну настройку");
        row("just past int", R"([{"block":"tks","settings":{"threshold1":{"value":2147483648}}}])",
            "(2147483648) вне допустимого");
        row("fraction", R"([{"block":"tks","settings":{"threshold1":{"value":60.5}}}])",
            "значение настройки «tks.threshold1» (60.5) не целое");
        row("text", R"([{"block":"tks","settings":{"threshold1":{"value":"60"}}}])",
            "у настройки «tks.threshold1» нет числового значения");
    }
    void unsuitableFiles() {
        QFETCH(QByteArray, blocks);
        QFETCH(QString, refusal);
        const QByteArray json =
            R"({"format":"ze23-settings","formatVersion":1,"kind":1,"serialNumber":2,"blocks":)" +
            blocks + "}";
        QString error;
        const std::optional<InstrumentSnapshot> snap = SnapshotJson::fromJson(json, error);
        QCOMPARE(!snap, !refusal.isEmpty());
        QVERIFY2(error.contains(refusal), qPrintable(error));
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
