// Frames, checksum, command sequence, the two ticks and the search for a lost
// frame start, on a scripted link.

#include "protocol/BlockSettings.h"
#include "protocol/ExchangeCycle.h"
#include "protocol/FrontEnd.h"
#include "protocol/InstrumentKind.h"

#include <QTest>

#include <deque>
#include <random>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

// A link whose incoming bytes the test supplies, recording what goes out and
// whether error reports were off during each call.
class ScriptedLink : public LinkPort {
  public:
    std::deque<std::uint8_t> incoming;
    Bytes written;
    bool reportsEnabled = true;
    bool callWithReportsOn = false;

    void setErrorReports(bool enabled) override { reportsEnabled = enabled; }
    std::uint32_t queueStatus() override {
        note();
        return static_cast<std::uint32_t>(incoming.size());
    }
    std::uint32_t read(std::uint8_t *dst, std::uint32_t n) override {
        note();
        std::uint32_t got = 0;
        while (got < n && !incoming.empty()) {
            dst[got++] = incoming.front();
            incoming.pop_front();
        }
        return got;
    }
    void write(const std::uint8_t *src, std::uint32_t n) override {
        note();
        written.insert(written.end(), src, src + n);
    }
    void feed(const Bytes &bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
    Bytes lastFrame() const { return Bytes(written.end() - 8, written.end()); }

  private:
    void note() { callWithReportsOn |= reportsEnabled; }
};

Bytes reply(std::uint8_t block, std::uint8_t code, std::uint8_t b2 = 0, std::uint8_t b3 = 0,
            std::uint8_t b4 = 0, std::uint8_t b5 = 0, std::uint8_t b6 = 0) {
    Frame f = sealed({block, code, b2, b3, b4, b5, b6, 0});
    return Bytes(f.begin(), f.end());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
  private slots:
    void checksumExamples_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("holds");
        QTest::newRow("base poll") << QByteArray("\x80\x0C\x00\x00\x00\x00\x00\x8C", 8) << true;
        QTest::newRow("identification request")
            << QByteArray("\x80\x09\x00\x00\x00\x00\x00\x89", 8) << true;
        QTest::newRow("identification reply")
            << QByteArray("\x00\x09\x00\x00\x01\x39\x30\x01", 8) << true;
        QTest::newRow("base reply") << QByteArray("\x00\x0C\x18\x02\x00\x88\x13\x8D", 8) << true;
        QTest::newRow("one bit off") << QByteArray("\x00\x0C\x18\x02\x00\x88\x13\x8C", 8) << false;
        QTest::newRow("all zero") << QByteArray(8, '\0') << true;
    }
    void checksumExamples() {
        QFETCH(QByteArray, frame);
        QFETCH(bool, holds);
        Frame f{};
        std::copy(frame.begin(), frame.end(), f.begin());
        QCOMPARE(checksumHolds(f), holds);
    }

    void sequenceGoesOutOneCodePerTick() {
        ExchangeCycle x;
        ScriptedLink link;
        x.CommandFrame = {0x80, 12, 1, 2, 3, 4, 5, 0};
        x.queueSequence(0x83, {9, 2, 3, 4});
        for (std::uint8_t code : {9, 2, 3, 4}) {
            x.transmitTick(link);
            Bytes f = link.lastFrame();
            QCOMPARE(f[0], 0x83);
            QCOMPARE(f[1], code);
            QCOMPARE(Bytes(f.begin() + 2, f.begin() + 7), (Bytes{1, 2, 3, 4, 5}));
            QCOMPARE(f[7], frameChecksum(x.CommandFrame));
        }
        x.transmitTick(link);
        QCOMPARE(link.lastFrame()[1], 4); // stays until a reply reloads the poll
        QCOMPARE(link.written.size(), 40u);
    }

    void pollReloadDoesNotCancelSequence() {
        ExchangeCycle x;
        ScriptedLink link;
        x.queueSequence(0x83, {9, 2, 3, 4});
        x.transmitTick(link);
        x.loadFrame(0x83, Code::Poll);
        x.transmitTick(link);
        QCOMPARE(link.lastFrame(), (Bytes{0x83, 2, 0, 0, 0, 0, 0, 0x81}));
    }

    void newSequenceReplacesPendingOne() {
        ExchangeCycle x;
        ScriptedLink link;
        x.queueSequence(0x83, {9, 2, 3, 4});
        x.transmitTick(link);
        x.queueSequence(0x80, {12, 9});
        x.transmitTick(link);
        x.transmitTick(link);
        x.transmitTick(link);
        QCOMPARE(link.written[8 + 1], 12);
        QCOMPARE(link.written[16 + 1], 9);
        QCOMPARE(link.written[24 + 1], 9);
        QCOMPARE(x.Sequence.SequenceCount, 0);
    }

    // A write the technician has asked for goes out, with the data of the
    // click, whatever reloads or sequences come between the click and the tick.
    void assuredWriteGoesOutWithItsData_data() {
        QTest::addColumn<bool>("queued");
        QTest::addColumn<int>("meanwhile"); // 0 nothing, 1 poll reloaded, 2 sequence queued
        QTest::addColumn<QList<int>>("codes");
        for (bool queued : {false, true}) {
            const char *how = queued ? "queued" : "loaded";
            QTest::addRow("%s", how) << queued << 0 << QList<int>{10, 10};
            QTest::addRow("%s, poll reloaded", how) << queued << 1 << QList<int>{10, 10};
            QTest::addRow("%s, sequence queued", how) << queued << 2 << QList<int>{2, 3, 10, 10};
        }
    }
    void assuredWriteGoesOutWithItsData() {
        QFETCH(bool, queued);
        QFETCH(int, meanwhile);
        QFETCH(QList<int>, codes);
        ExchangeCycle x;
        ScriptedLink link;
        x.CommandFrame = {0x94, 12, 7, 0, 0, 0, 0, 0};
        const auto data = WriteData::words(250, 0x1234);
        if (queued)
            x.queueAssured(0x94, {10}, data);
        else
            x.loadAssured(0x94, 10, data);
        if (meanwhile == 1)
            x.loadFrame(0x94, Code::Poll);
        if (meanwhile == 2)
            x.queueSequence(0x94, {2, 3});
        for (int code : codes) {
            x.transmitTick(link);
            Bytes f = link.lastFrame();
            QCOMPARE(int(f[1]), code);
            if (code == 10)
                QCOMPARE(Bytes(f.begin() + 3, f.begin() + 7), (Bytes{0xFA, 0x00, 0x34, 0x12}));
        }
        QVERIFY(!x.assuredPending());
    }

    void assuredWriteOfALeftPageGoesToItsOwnBlock() {
        ExchangeCycle x;
        ScriptedLink link;
        x.loadAssured(0x83, 11, WriteData::words(100, 500));
        x.queueSequence(0x88, {9, 4}); // another page opened before the tick
        x.transmitTick(link);
        QCOMPARE(link.lastFrame(), reply(0x83, 11, 0, 100, 0, 0xF4, 0x01));
        x.transmitTick(link);
        QCOMPARE(link.lastFrame()[0], 0x88);
        QCOMPARE(link.lastFrame()[1], 9);
        // A new connection forgets what the old one had not sent.
        x.loadAssured(0x83, 7);
        x.resetStream();
        QVERIFY(!x.assuredPending());
    }

    // The oxygen block's front end: register bytes to the page's items.
    void frontEndLoading_data() {
        QTest::addColumn<int>("gain");
        QTest::addColumn<int>("reference");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("items"); // R_Load ... Режим, from items 1,1,1,1,1,1,1,1
        QTest::newRow("all zero") << 0x00 << 0x00 << 0x00 << QList<int>{0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("fields past the last item")
            << 0xFF << 0x6F << 0x07 << QList<int>{3, 7, 0, 2, 0, 13, 0, 5};
        QTest::newRow("mode 5 keeps the mode")
            << 0x0E << 0x36 << 0x85 << QList<int>{2, 3, 0, 1, 1, 6, 1, 1};
        QTest::newRow("mode 4 keeps the mode")
            << 0x00 << 0x80 << 0x04 << QList<int>{0, 0, 1, 0, 0, 0, 0, 1};
        QTest::newRow("mode 6") << 0x00 << 0x10 << 0x06 << QList<int>{0, 0, 0, 0, 1, 0, 0, 4};
    }
    void frontEndLoading() {
        QFETCH(int, gain);
        QFETCH(int, reference);
        QFETCH(int, mode);
        QFETCH(QList<int>, items);
        FrontEnd::Choices before;
        before.fill(1);
        FrontEnd::Choices after = FrontEnd::load(
            before, {std::uint8_t(gain), std::uint8_t(reference), std::uint8_t(mode)});
        QCOMPARE(QList<int>(after.begin(), after.end()), items);
    }

    void frontEndEncoding() {
        // 50 Ом, 7,0 кОм, Внутр., 50%, Позитив, 10%, Отключен, Рабочий
        const FrontEnd::Choices choices{2, 3, 0, 1, 1, 6, 0, 3};
        const FrontEnd::Bytes b = FrontEnd::encode(choices);
        QCOMPARE((Bytes{b.gain, b.reference, b.mode}), (Bytes{0x0E, 0x36, 0x03}));
        QCOMPARE(FrontEnd::load(FrontEnd::Unknown, b), choices);
        const FrontEnd::Bytes top = FrontEnd::encode({3, 7, 1, 2, 1, 13, 1, 5});
        QCOMPARE((Bytes{top.gain, top.reference, top.mode}), (Bytes{0x1F, 0xDD, 0x87}));
        QVERIFY(FrontEnd::complete(choices));
        FrontEnd::Choices partly = choices;
        partly[FrontEnd::Mode] = FrontEnd::NoChoice;
        QVERIFY(!FrontEnd::complete(partly));
    }

    void sequenceKeepsAtMostFourCodes() {
        CommandSequence s;
        s.queue({1, 2, 3, 4, 5, 6});
        QCOMPARE(s.SequenceCount, 4);
        // A position left past the table by a caller still reads inside it.
        s.SequencePosition = 200;
        s.SequenceCount = 1;
        s.takeNext();
    }

    void ticksSwitchErrorReportsOff() {
        ExchangeCycle x;
        ScriptedLink link;
        link.feed(reply(0, 12));
        x.transmitTick(link);
        x.receiveTick(link);
        QVERIFY(!link.callWithReportsOn);
        QVERIFY(link.reportsEnabled);
    }

    void receiveTakesWholeFramesOnly() {
        ExchangeCycle x;
        ScriptedLink link;
        Bytes two = concat({reply(0, 12, 1), reply(15, 12, 2)});
        link.feed(Bytes(two.begin(), two.begin() + 7));
        QCOMPARE(x.receiveTick(link), ExchangeCycle::Received::Nothing);
        QVERIFY(!x.ReplyValid);
        QCOMPARE(link.incoming.size(), 7u); // left waiting for the eighth
        link.feed(Bytes(two.begin() + 7, two.end()));
        QCOMPARE(x.receiveTick(link), ExchangeCycle::Received::Reply);
        QCOMPARE(x.ReplyFrame[2], 1);
        QCOMPARE(x.receiveTick(link), ExchangeCycle::Received::Reply);
        QCOMPARE(x.ReplyFrame[0], 15);
        QCOMPARE(x.receiveTick(link), ExchangeCycle::Received::Nothing);
    }

    void replyKinds_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("kind");
        auto row = [](const Bytes &b) {
            return QByteArray(reinterpret_cast<const char *>(b.data()), 8);
        };
        QTest::newRow("base answers 9") << row(reply(0, 9, 0, 0, 1, 0x39, 0x30))
                                        << int(ExchangeCycle::Received::Identification);
        QTest::newRow("pump answers 9") << row(reply(15, 9)) << int(ExchangeCycle::Received::Reply);
        QTest::newRow("base poll") << row(reply(0, 12)) << int(ExchangeCycle::Received::Reply);
        Bytes bad = reply(0, 9, 0, 0, 1);
        bad[7] ^= 1;
        QTest::newRow("bad checksum") << row(bad) << int(ExchangeCycle::Received::Invalid);
    }
    void replyKinds() {
        QFETCH(QByteArray, frame);
        QFETCH(int, kind);
        ExchangeCycle x;
        ScriptedLink link;
        link.feed(Bytes(frame.begin(), frame.end()));
        QCOMPARE(int(x.receiveTick(link)), kind);
        // The 8 bytes land in the reply frame whether the checksum held or not.
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(x.ReplyFrame.data()), 8), frame);
    }

    // A byte lost, a byte added or a frame garbled: replies are decoded again
    // within two frames, and no valid frame of an aligned stream is skipped.
    // Each entry of `arrivals` reaches the queue at once, as a reply does.
    void resynchronisesOnTheStream_data() {
        QTest::addColumn<QList<QByteArray>>("arrivals");
        QTest::addColumn<QList<int>>("decodedMarks");
        auto bytes = [](const Bytes &b) {
            return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
        };
        QByteArray a = bytes(reply(0, 12, 1)), b = bytes(reply(0, 12, 2)),
                   c = bytes(reply(0, 12, 3)), d = bytes(reply(0, 12, 4));
        QTest::newRow("aligned") << QList<QByteArray>{a, b, c} << QList<int>{1, 2, 3};
        QTest::newRow("two at once") << QList<QByteArray>{a + b, c} << QList<int>{1, 2, 3};
        QTest::newRow("checksum byte lost")
            << QList<QByteArray>{a.left(7), b, c, d} << QList<int>{2, 3, 4};
        // A lost zero leaves a window that still adds up with the next frame's first byte.
        QByteArray zeroLost = a;
        zeroLost.remove(3, 1);
        QTest::newRow("zero byte lost") << QList<QByteArray>{zeroLost, b, c} << QList<int>{2, 3};
        QTest::newRow("zero byte lost, two behind")
            << QList<QByteArray>{zeroLost, b + c, d} << QList<int>{2, 3, 4};
        QTest::newRow("byte added") << QList<QByteArray>{"\x55" + a, b, c} << QList<int>{1, 2, 3};
        QByteArray garbled = a;
        garbled[3] = char(garbled[3] ^ 0x40);
        QTest::newRow("frame garbled") << QList<QByteArray>{garbled, b, c} << QList<int>{2, 3};
        QTest::newRow("garbage burst")
            << QList<QByteArray>{QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B"), a, b}
            << QList<int>{1, 2};
        QTest::newRow("split reply")
            << QList<QByteArray>{a.left(3), a.mid(3), b} << QList<int>{1, 2};
    }
    void resynchronisesOnTheStream() {
        QFETCH(QList<QByteArray>, arrivals);
        QFETCH(QList<int>, decodedMarks);
        ExchangeCycle x;
        ScriptedLink link;
        QList<int> decoded;
        auto tick = [&] {
            if (x.receiveTick(link) == ExchangeCycle::Received::Reply)
                decoded.append(x.ReplyFrame[2]);
        };
        // Three receive ticks between arrivals, as between two transmit ticks.
        for (const QByteArray &arrival : arrivals) {
            link.feed(Bytes(arrival.begin(), arrival.end()));
            for (int t = 0; t < 3; ++t)
                tick();
        }
        for (int t = 0; t < 6; ++t)
            tick();
        QCOMPARE(decoded, decodedMarks);
    }

    // Whatever comes down the wire, the tick drains it and finds whole replies
    // again afterwards.
    void survivesRandomGarbage() {
        std::mt19937 rng(7);
        for (int round = 0; round < 200; ++round) {
            ExchangeCycle x;
            ScriptedLink link;
            int garbage = int(rng() % 300);
            Bytes noise(static_cast<std::size_t>(garbage));
            for (std::uint8_t &b : noise)
                b = std::uint8_t(rng());
            for (std::size_t at = 0; at < noise.size();) {
                std::size_t n = std::min<std::size_t>(1 + rng() % 20, noise.size() - at);
                link.feed(Bytes(noise.begin() + std::ptrdiff_t(at),
                                noise.begin() + std::ptrdiff_t(at + n)));
                at += n;
                x.receiveTick(link);
            }
            for (int t = 0; t < 50; ++t)
                x.receiveTick(link);
            // A partial frame may wait for its eighth byte; more than that never waits.
            QVERIFY(link.incoming.size() < 8);
            int decoded = 0;
            for (std::uint8_t mark = 1; mark <= 4; ++mark) {
                link.feed(reply(0, 12, mark));
                for (int t = 0; t < 3; ++t)
                    if (x.receiveTick(link) == ExchangeCycle::Received::Reply &&
                        x.ReplyFrame[2] == mark)
                        ++decoded;
            }
            QVERIFY2(decoded >= 3,
                     qPrintable(QString("round %1: %2 of 4").arg(round).arg(decoded)));
        }
    }

    void resetForgetsHeldBytes() {
        ExchangeCycle x;
        ScriptedLink link;
        Bytes bad = reply(0, 12);
        bad[7] ^= 0xFF;
        link.feed(bad);
        QCOMPARE(x.receiveTick(link), ExchangeCycle::Received::Invalid);
        QVERIFY(x.resynchronising());
        x.resetStream();
        link.feed(reply(0, 12, 7));
        QCOMPARE(x.receiveTick(link), ExchangeCycle::Received::Reply);
        QCOMPARE(x.ReplyFrame[2], 7);
    }

    // The tabs each kind shows are checked with the window; here what the
    // core knows of it.
    void instrumentKinds_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("sensorBlock");
        QTest::addColumn<QList<int>>("opening");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("firstPoll");
        QTest::addColumn<QString>("instrument"); // as records and certificates name it
        QTest::newRow("1") << 1 << 0x83 << QList<int>{9, 2, 3, 4} << "tks"
                           << "ЗЭ11.2к   № 12345" << 0x80 << "ЗЭ11.2к, блок ТКС";
        QTest::newRow("2") << 2 << 0x94 << QList<int>{9, 2, 3, 4} << "tksPgs"
                           << "ЗЭ22   № 12345" << 0x94 << "ЗЭ22, блок ТКС+ПГС";
        QTest::newRow("3") << 3 << 0x95 << QList<int>{9, 2, 3, 4} << "hydrogen"
                           << "ЗЭ22   № 12345" << 0x95 << "ЗЭ22, блок ТКС+ПГС водород";
        QTest::newRow("4") << 4 << 0x88 << QList<int>{9, 4} << "pgs"
                           << "ЗЭ12   № 12345" << 0x80 << "ЗЭ12, блок ПГС";
        QTest::newRow("5") << 5 << 0x8B << QList<int>{9} << ""
                           << "ЗЭ22   № 12345" << 0x80 << "ЗЭ22, блок Оптика метан 100%";
        QTest::newRow("7") << 7 << 0x96 << QList<int>{9, 2, 3, 4} << "oxygen"
                           << "ЗЭ-ХХХ   № 12345" << 0x80 << "ЗЭ-ХХХ, блок Кислород";
    }
    void instrumentKinds() {
        QFETCH(int, type);
        QFETCH(int, sensorBlock);
        QFETCH(QList<int>, opening);
        QFETCH(QString, layout);
        QFETCH(QString, model);
        QFETCH(int, firstPoll);
        QFETCH(QString, instrument);
        const InstrumentKind *k = findInstrumentKind(static_cast<std::uint8_t>(type));
        QVERIFY(k);
        QCOMPARE(QString::fromStdString(instrumentName(k->model, k->sensor.block)), instrument);
        QCOMPARE(int(Block::address(k->sensor.block)), sensorBlock);
        QCOMPARE(QList<int>(k->sensor.opening.begin(), k->sensor.opening.end()), opening);
        QCOMPARE(QString(k->sensor.settings ? k->sensor.settings : ""), layout);
        QCOMPARE(QString::fromStdString(modelLine(type, 12345)), model);
        QCOMPARE(int(Block::address(k->firstPoll)), firstPoll);
        // The blocks that keep settings: the sensor block's, then the pump's.
        QStringList kept;
        for (const BlockLayout *b : settingsOfKind(k->deviceType))
            kept << b->name;
        const QStringList expected =
            layout.isEmpty() ? QStringList{"pump"} : QStringList{layout, "pump"};
        QCOMPARE(kept, expected);
    }

    void rejectedKinds() {
        for (int t : {0, 6, 8, 9, 100, 255})
            QVERIFY2(!isAcceptedKind(static_cast<std::uint8_t>(t)), qPrintable(QString::number(t)));
    }

    void serialNumberIsLittleEndian() {
        QCOMPARE(serialNumberOf(Frame{0, 9, 0, 0, 1, 0x39, 0x30, 0}), 12345);
        QCOMPARE(serialNumberOf(Frame{0, 9, 0, 0, 1, 0xFF, 0xFF, 0}), 65535);
        QCOMPARE(serialNumberOf(Frame{0, 9, 0, 0, 1, 0, 0, 0}), 0);
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
