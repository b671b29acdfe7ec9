// What is on a virtual sensor: readings that settle in time after a change of
// gas, drifted sensors that a check with the cylinder finds out and a
// calibration through the block's own codes puts right, the ПГС thresholds
// taken again in their gases. Time comes from a clock the test winds.

#include "protocol/SensorCodes.h"
#include "sim/VirtualInstrument.h"

#include <QTest>

#include <algorithm>
#include <vector>

namespace {

// An instrument on a clock the test winds, polled as the page polls it.
struct Desk {
    explicit Desk(int kind, bool drifted = false)
        : vi(std::uint8_t(kind), 100, 11),
          address(Block::address(*VirtualInstrument::sensorBlockOf(std::uint8_t(kind)))) {
        vi.setClock([this] { return t; });
        vi.setDrifted(drifted);
    }
    Frame ask(std::uint8_t code, int a = 0, int b = 0) {
        return vi
            .answer(sealed(Frame{address, code, 0, std::uint8_t(a), std::uint8_t(a >> 8),
                                 std::uint8_t(b), std::uint8_t(b >> 8), 0}))
            .value();
    }
    // The poll replies over `seconds`, one every `everyMs`.
    std::vector<Frame> poll(double seconds, int everyMs = 350) {
        std::vector<Frame> replies;
        for (std::int64_t end = t + std::int64_t(seconds * 1000); t < end; t += everyMs)
            replies.push_back(ask(Code::Poll));
        return replies;
    }
    // U air and U gas as the reply to 2 gives them.
    std::pair<int, int> points() {
        const Frame r = ask(CatalyticCode::ReadVoltages);
        return {signed16(r, 3), signed16(r, 5)};
    }
    // The gas, then its reading once settled.
    int settled(TestGas gas, int concentration = 0) {
        vi.applyGas(gas, concentration);
        return signed16(poll(40).back(), 3);
    }

    std::int64_t t = 5000;
    VirtualInstrument vi;
    std::uint8_t address;
};

std::pair<int, int> spread(const std::vector<Frame> &replies) {
    std::vector<int> r;
    for (const Frame &f : replies)
        r.push_back(signed16(f, 3));
    const auto [lo, hi] = std::minmax_element(r.begin(), r.end());
    return {*lo, *hi};
}

// Whether every reply has the alarm bits `bits` set as `on`.
bool alarmsAll(const std::vector<Frame> &replies, int bits, bool on) {
    return std::all_of(replies.begin(), replies.end(),
                       [&](const Frame &f) { return ((f[2] & bits) == bits) == on; });
}

} // namespace

Q_DECLARE_METATYPE(TestGas)

class TestSimGas : public QObject {
    Q_OBJECT

  private slots:
    void settlesInTime_data();
    void settlesInTime();
    void driftFoundAndCalibratedAway_data();
    void driftFoundAndCalibratedAway();
    void pgsThresholdsTakenInTheirGases_data();
    void pgsThresholdsTakenInTheirGases();
};

void TestSimGas::settlesInTime_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<TestGas>("from");
    QTest::addColumn<int>("concentration"); // of the cylinder
    QTest::addColumn<int>("band");          // steady: the spread over 30 s
    QTest::addColumn<int>("pollMs");
    QTest::newRow("ТКС") << 1 << TestGas::CleanAir << 250 << 5 << 350;
    QTest::newRow("ТКС, polled seldom") << 1 << TestGas::CleanAir << 250 << 5 << 2000;
    QTest::newRow("оптика") << 5 << TestGas::CleanAir << 250 << 8 << 800;
    QTest::newRow("кислород из азота") << 7 << TestGas::ZeroGas << 209 << 2 << 350;
    QTest::newRow("кислород, polled often") << 7 << TestGas::ZeroGas << 209 << 2 << 50;
}

void TestSimGas::settlesInTime() {
    QFETCH(int, kind);
    QFETCH(TestGas, from);
    QFETCH(int, concentration);
    QFETCH(int, band);
    QFETCH(int, pollMs);
    Desk d(kind);
    const int before = d.settled(from);
    d.vi.applyGas(TestGas::Cylinder, concentration);
    const auto early = spread(d.poll(3, pollMs));
    const std::vector<Frame> late = d.poll(60, pollMs);
    const auto steady = spread({late.begin() + late.size() / 2, late.end()});
    const int step = steady.second - before;
    QVERIFY(std::abs(step - concentration) <= concentration / 20 + 15);
    // A first-order response: well short after 3 s, there after 35 s, steady then.
    QVERIFY(early.second - before < step * 2 / 3);
    QVERIFY(std::abs(signed16(late[35000 / pollMs - 3000 / pollMs], 3) - steady.first) <= band);
    QVERIFY(steady.second - steady.first <= band);
}

void TestSimGas::driftFoundAndCalibratedAway_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<TestGas>("zero");
    QTest::addColumn<int>("cylinder");
    QTest::addColumn<int>("asFoundAtMost"); // percent of the cylinder
    QTest::addColumn<bool>("save");         // before the reset after the as-left check
    QTest::newRow("ТКС, saved") << 1 << TestGas::CleanAir << 250 << 88 << true;
    QTest::newRow("ТКС, reset") << 1 << TestGas::CleanAir << 250 << 88 << false;
    QTest::newRow("ТКС+ПГС, saved") << 2 << TestGas::CleanAir << 250 << 88 << true;
    QTest::newRow("водород, reset") << 3 << TestGas::CleanAir << 200 << 88 << false;
    QTest::newRow("кислород, saved") << 7 << TestGas::ZeroGas << 209 << 94 << true;
    QTest::newRow("кислород, reset") << 7 << TestGas::ZeroGas << 209 << 94 << false;
}

void TestSimGas::driftFoundAndCalibratedAway() {
    QFETCH(int, kind);
    QFETCH(TestGas, zero);
    QFETCH(int, cylinder);
    QFETCH(int, asFoundAtMost);
    QFETCH(bool, save);
    Desk d(kind, true);
    const auto factory = d.points();
    const int asFound = d.settled(TestGas::Cylinder, cylinder);
    QVERIFY(asFound <= cylinder * asFoundAtMost / 100 && asFound >= cylinder / 2);

    // The same codes for the thermocatalytic and the oxygen block.
    d.ask(CatalyticCode::SetUp);
    d.settled(zero);
    d.ask(CatalyticCode::AirPoint);
    d.settled(TestGas::Cylinder, cylinder);
    d.ask(CatalyticCode::GasPoint);
    const auto points = d.points(); // a smaller span than the factory's
    QVERIFY(points.second - points.first < factory.second - factory.first);
    d.ask(CatalyticCode::WriteUpper, cylinder, 20);
    QVERIFY(std::abs(d.settled(TestGas::Cylinder, cylinder) - cylinder) <= 2);
    QVERIFY(std::abs(d.settled(zero)) <= 2);

    // 16 goes back to what 7 kept, or to the factory's points.
    if (save)
        d.ask(CatalyticCode::Save);
    d.ask(CatalyticCode::Reset);
    QCOMPARE(d.points(), save ? points : factory);
    QVERIFY(std::abs(d.settled(TestGas::Cylinder, cylinder) - (save ? cylinder : asFound)) <= 3);
}

void TestSimGas::pgsThresholdsTakenInTheirGases_data() {
    QTest::addColumn<bool>("drifted");
    QTest::addColumn<bool>("save"); // before the reset after the as-left check
    QTest::newRow("sound sensor") << false << true;
    QTest::newRow("drifted, saved") << true << true;
    QTest::newRow("drifted, reset") << true << false;
}

void TestSimGas::pgsThresholdsTakenInTheirGases() {
    QFETCH(bool, drifted);
    QFETCH(bool, save);
    const int t1 = SensorStatus::Threshold1, t2 = SensorStatus::Threshold2;
    Desk d(4, drifted);
    const auto inGas = [&d](TestGas gas) {
        d.vi.applyGas(gas, 0);
        d.poll(40);
        return d.poll(30);
    };
    // As found: a drifted sensor does not trip in the gas just above threshold 1.
    QVERIFY(alarmsAll(inGas(TestGas::Threshold1), t1, !drifted));
    QVERIFY(alarmsAll(inGas(TestGas::Threshold2), t1 | t2, !drifted));

    d.ask(PgsCode::SetUp);
    inGas(TestGas::Threshold1);
    d.ask(PgsCode::ApplyThreshold1);
    std::vector<Frame> left = inGas(TestGas::Threshold1);
    QVERIFY(alarmsAll(left, t1, true) && alarmsAll(left, t2, false));
    inGas(TestGas::Threshold2);
    d.ask(PgsCode::ApplyThreshold2);
    left = inGas(TestGas::Threshold2);
    QVERIFY(alarmsAll(left, t1 | t2, true));
    left = inGas(TestGas::Threshold1);
    QVERIFY(alarmsAll(left, t1, true) && alarmsAll(left, t2, false));

    if (save)
        d.ask(PgsCode::Save);
    d.ask(PgsCode::Reset);
    QVERIFY(alarmsAll(inGas(TestGas::Threshold1), t1, save || !drifted));
}

QTEST_GUILESS_MAIN(TestSimGas)
#include "test_sim_gas.moc"
