// Settings sessions fed replies written out byte by byte, and the frames they
// send compared with frames written out the same way: address 0x80 | block,
// code, five data bytes, XOR of bytes 0 to 6. The virtual instrument plays no
// part here, so a fault shared by it and the sessions cannot hide.

#include "protocol/InstrumentSession.h"

#include <QTest>

#include <initializer_list>

namespace {
using Bytes = std::initializer_list<std::uint8_t>;

// A reply as a block sends it: seven bytes and their XOR.
Frame reply(Bytes seven) {
    Frame f{};
    std::uint8_t x = 0;
    std::size_t i = 0;
    for (std::uint8_t b : seven) {
        f[i++] = b;
        x ^= b;
    }
    f[7] = x;
    return f;
}

QString hex(const Frame &f) {
    return QByteArray(reinterpret_cast<const char *>(f.data()), FrameSize).toHex(' ');
}

QString hex(Bytes eight) {
    return QByteArray(reinterpret_cast<const char *>(std::data(eight)),
                      static_cast<qsizetype>(eight.size()))
        .toHex(' ');
}

// The next frame the session sends within a few turns, or "nothing".
template <class Session> QString next(Session &s) {
    for (int turn = 0; turn < 10; ++turn)
        if (const std::optional<Frame> f = s.nextFrame())
            return hex(*f);
    return "nothing";
}

const BlockLayout &tks() {
    return *blockSettings(Block::Tks);
}
const BlockLayout &pump() {
    return *blockSettings(Block::Pump);
}
} // namespace

class TestSettingsFrames : public QObject {
    Q_OBJECT

  private slots:
    // While 9 is out, a frame that is not the ТКС block's answer to 9 is not
    // taken for it: the request goes again and the version stays unknown.
    void strayRepliesAreIgnored_data() {
        QTest::addColumn<Frame>("stray");
        QTest::newRow("the block's reply to 3")
            << reply({0x03, 0x03, 0x01, 0xF4, 0x01, 0x64, 0x00});
        QTest::newRow("the pump's reply to 9") << reply({0x0F, 0x09, 0x01, 0x00, 0x00, 0x00, 0x05});
        QTest::newRow("the command itself echoed")
            << Frame{0x83, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8A};
    }
    void strayRepliesAreIgnored() {
        QFETCH(Frame, stray);
        SettingsSession s = SettingsSession::read(tks());
        QCOMPARE(next(s), hex({0x83, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8A}));
        s.takeReply(stray);
        QCOMPARE(next(s), hex({0x83, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8A}));
        QVERIFY(!s.version());
        QVERIFY(s.values().empty());
        s.takeReply(reply({0x03, 0x09, 0x01, 0x00, 0x00, 0x00, 0x21}));
        QCOMPARE(s.version(), std::optional<int>(0x21));
        QCOMPARE(next(s), hex({0x83, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}));
    }

    // A whole kind-1 instrument read; the ТКС block's first answer is lost on
    // the line and the same request goes again.
    void lostAnswerIsAskedAgain() {
        InstrumentSession s = InstrumentSession::read(1, 23101);
        QCOMPARE(next(s), hex({0x83, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8A}));
        QCOMPARE(next(s), hex({0x83, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8A}));
        s.takeReply(reply({0x03, 0x09, 0x01, 0x00, 0x00, 0x00, 0x21}));
        QCOMPARE(next(s), hex({0x83, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}));
        // Calibration gas 500, threshold 1 100.
        s.takeReply(reply({0x03, 0x03, 0x01, 0xF4, 0x01, 0x64, 0x00}));
        QCOMPARE(next(s), hex({0x83, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x87}));
        // Threshold 2 200, switch-off threshold 5.
        s.takeReply(reply({0x03, 0x04, 0x01, 0xC8, 0x00, 0x05, 0x00}));
        QCOMPARE(next(s), hex({0x8F, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x86}));
        s.takeReply(reply({0x0F, 0x09, 0x01, 0x00, 0x00, 0x00, 0x05}));
        QCOMPARE(next(s), hex({0x8F, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x83}));
        // Current 80 half-milliamperes, amplitude 100, frequency 57.
        s.takeReply(reply({0x0F, 0x0C, 0x01, 0x50, 0x00, 0x64, 0x39}));
        QCOMPARE(next(s), QString("nothing"));
        QVERIFY(s.finished() && !s.failed());

        const InstrumentSnapshot snap = s.snapshot();
        QCOMPARE(snap.serialNumber, 23101);
        QCOMPARE(snap.block("tks")->version, std::optional<int>(0x21));
        const std::map<std::string, int> tksValues{
            {"calibrationGas", 500}, {"threshold1", 100}, {"threshold2", 200}, {"offThreshold", 5}};
        QCOMPARE(snap.block("tks")->values, tksValues);
        QCOMPARE(snap.block("pump")->version, std::optional<int>(5));
        const std::map<std::string, int> pumpValues{{"frequency", 57}, {"amplitude", 100}};
        QCOMPARE(snap.block("pump")->values, pumpValues);
    }

    // Threshold 1 goes under 10 with the calibration gas, which neither the
    // block nor the file gives: 10 is not sent at all, threshold 1 stays
    // unconfirmed and the block is not told to keep anything. Threshold 2
    // goes under 11 with the switch-off threshold the block holds.
    void unknownPartnerSendsNothingUnderItsCode() {
        SettingsSession s = SettingsSession::write(tks(), {{"offThreshold", 5}},
                                                   {{"threshold1", 60}, {"threshold2", 70}}, true);
        QCOMPARE(next(s), hex({0x83, 0x0B, 0x00, 0x46, 0x00, 0x05, 0x00, 0xCB}));
        s.takeReply(reply({0x03, 0x0B, 0x01, 0x46, 0x00, 0x05, 0x00}));
        QCOMPARE(next(s), hex({0x83, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}));
        s.takeReply(reply({0x03, 0x03, 0x01, 0xF4, 0x01, 0x32, 0x00}));
        QCOMPARE(next(s), hex({0x83, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x87}));
        s.takeReply(reply({0x03, 0x04, 0x01, 0x46, 0x00, 0x05, 0x00}));
        QCOMPARE(next(s), QString("nothing"));
        QCOMPARE(s.outcome(), SettingsSession::Outcome::Done);
        QCOMPARE(s.checks().size(), std::size_t(2));
        for (const SettingsSession::Check &c : s.checks())
            QCOMPARE(c.confirmed(), c.key == "threshold2");
        QVERIFY(!s.saved());
    }

    // Amplitude 100 asked to go to 103; one step up lands on 105, past it.
    // The pump is stepped back down to 100 rather than left at 105, then
    // polled, and 103 is reported unconfirmed; nothing is kept.
    void pumpStepPastTheValueGoesBack() {
        SettingsSession s = SettingsSession::write(pump(), {{"frequency", 57}, {"amplitude", 100}},
                                                   {{"amplitude", 103}}, true);
        QCOMPARE(next(s), hex({0x8F, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8E}));
        s.takeReply(reply({0x0F, 0x01, 0x01, 0x50, 0x00, 0x69, 0x39}));
        QCOMPARE(next(s), hex({0x8F, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x82}));
        s.takeReply(reply({0x0F, 0x0D, 0x01, 0x50, 0x00, 0x64, 0x39}));
        QCOMPARE(next(s), hex({0x8F, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x83}));
        s.takeReply(reply({0x0F, 0x0C, 0x01, 0x50, 0x00, 0x64, 0x39}));
        QCOMPARE(next(s), QString("nothing"));
        QCOMPARE(s.outcome(), SettingsSession::Outcome::Done);
        QCOMPARE(s.values().at("amplitude"), 100);
        QCOMPARE(s.checks().size(), std::size_t(1));
        QCOMPARE(s.checks()[0].wanted, 103);
        QCOMPARE(s.checks()[0].readBack, std::optional<int>(100));
        QVERIFY(!s.saved());
    }

    // The ТКС block never answers: 9 goes out three times and nothing else,
    // not even to the pump, and the read ends with the block named.
    void silentBlockEndsTheRead() {
        InstrumentSession s = InstrumentSession::read(1, 23101);
        QStringList sent;
        for (int turn = 0; turn < 30; ++turn)
            if (const std::optional<Frame> f = s.nextFrame())
                sent << hex(*f);
        const QString request = hex({0x83, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8A});
        QCOMPARE(sent, (QStringList{request, request, request}));
        QVERIFY(s.finished() && s.failed());
        QCOMPARE(QString::fromStdString(s.failure()),
                 QString("блок tks (0x83) не ответил на код 9"));
    }
};

QTEST_APPLESS_MAIN(TestSettingsFrames)
#include "test_settings_frames.moc"
