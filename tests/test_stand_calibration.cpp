// Calibrating a stand of ТКС blocks in one pass of gas per stage, against a
// stand written out as literal replies: each block answers by the gas on the
// stand and what it was told, behind a multiplexer the base's poll switches.
// A turn is 350 ms of a clock the test drives; the technician puts each gas
// asked for on the whole stand.

#include "calibration/StandCalibration.h"

#include <QTest>

#include <functional>
#include <map>
#include <set>

namespace {
using Action = CalibrationProcedure::Action;
using State = StandCalibration::State;

Frame reply(std::initializer_list<std::uint8_t> seven) {
    Frame f{};
    std::copy(seven.begin(), seven.end(), f.begin());
    return sealed(f);
}

// A ТКС block: U air 1000.0 mV and U gas 1050.0 mV until points are taken
// (then 1002.0 and 1056.0), calibration gas 2,00 % until 2,50 % is written;
// in clean air 0,03 % (0,01 % once saved), in the 2,50 % cylinder gas
// `asFound` (2,45 % once saved).
struct FakeBlock {
    int asFound = 200;
    bool losesSave = false;
    int muteFromGas = 0; // silent from the time this many gases were put on
    bool newPoints = false, saved = false, written = false;
    QList<int> codes; // every request but the polls

    std::optional<Frame> answer(const Frame &f, TestGas gas, int gasesPut) {
        if (muteFromGas && gasesPut >= muteFromGas)
            return std::nullopt;
        const std::uint8_t code = f[1];
        if (code != Code::Poll)
            codes << code;
        switch (code) {
        case Code::Poll: {
            const bool air = gas != TestGas::Cylinder;
            const int c = air ? (saved ? 1 : 3) : (saved ? 245 : asFound);
            const int mv = air ? 10000 : 10500;
            return reply({0x03, 0x0C, 0x01, std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(mv),
                          std::uint8_t(mv >> 8)});
        }
        case 9:
            return reply({0x03, 0x09, 0x01, 0, 0, 0, 0x21});
        case 2:
            return newPoints ? reply({0x03, 0x02, 0x01, 0x24, 0x27, 0x40, 0x29})
                             : reply({0x03, 0x02, 0x01, 0x10, 0x27, 0x04, 0x29});
        case 3:
            return written ? reply({0x03, 0x03, 0x01, 0xFA, 0x00, 0x64, 0x00})
                           : reply({0x03, 0x03, 0x01, 0xC8, 0x00, 0x64, 0x00});
        case 4:
            return reply({0x03, 0x04, 0x01, 0xC8, 0x00, 0x05, 0x00});
        case 10:
            written = true;
            break;
        case 14:
        case 15:
            newPoints = true;
            break;
        case 7:
            saved = !losesSave;
            newPoints = newPoints && saved;
            break;
        case 16: // back to what it kept
            newPoints = newPoints && saved;
            written = written && saved;
            break;
        }
        return reply({0x03, code, 0x01});
    }
};

struct Stand {
    explicit Stand(std::map<int, FakeBlock> fitted_) : blocks(std::move(fitted_)) {
        std::vector<StandCalibration::Fitted> fitted;
        for (int p = 1; p <= 6; ++p)
            fitted.push_back({p, "Д-" + std::to_string(p)});
        CalibrationRecord base;
        base.cylinder.number = "12345";
        base.cylinder.gas = "CH4 в воздухе";
        base.cylinder.concentration = 250;
        base.cylinder.expiry = "2027-01-01";
        base.when = "2026-12-09T10:00:00";
        base.batch = "П-1";
        s.emplace(Block::Tks, SensorGas::Methane, base, fitted, 0);
    }

    std::optional<Frame> answer(const Frame &f) {
        if (f[0] == Block::address(Block::Base)) {
            if (f[1] == Code::Poll && f[2] >= 1 && f[2] <= 32)
                selected = f[2];
            return reply({0x00, 0x0C, 0, 0, 0, 0, 0});
        }
        const auto it = blocks.find(selected);
        if (f[0] != Block::address(Block::Tks) || it == blocks.end())
            return std::nullopt;
        return it->second.answer(f, gas, s->gasesPut());
    }

    // The answer comes in before the next turn; the technician puts the gas
    // asked for on the stand and says so a turn after being asked.
    void turn() {
        if (pending) {
            s->takeReply(*pending, now);
            pending.reset();
        }
        const auto &a = s->stage().actions;
        if (std::find(a.begin(), a.end(), Action::Ready) != a.end() && !stopBefore(s->gasesPut())) {
            gas = s->stage().gas;
            gases << int(gas);
            s->act(Action::Ready, now);
        }
        if (const std::optional<Frame> f = s->nextFrame(now))
            pending = answer(*f);
        now += 350;
    }
    void runOut() {
        for (int i = 0; i < 200000 && !s->finished(); ++i)
            turn();
    }
    // Turns until `gases` gases have been put on and a turn has gone by.
    void putGases(int count) {
        stopBefore = [count](int put) { return put >= count; };
        for (int i = 0; i < 200000 && s->gasesPut() < count && !s->finished(); ++i)
            turn();
        turn();
    }
    State state(int position) const {
        for (const auto &p : s->positions())
            if (p.position == position)
                return p.state;
        return State::Waiting;
    }
    const CalibrationRecord *record(int position) const {
        for (const CalibrationRecord &r : records)
            if (r.standPosition == position)
                return &r;
        return nullptr;
    }

    std::map<int, FakeBlock> blocks;
    std::optional<StandCalibration> s;
    std::function<bool(int)> stopBefore = [](int) { return false; };
    std::optional<Frame> pending;
    TestGas gas = TestGas::Ambient;
    QList<int> gases;
    int selected = 1;
    std::int64_t now = 0;
    std::vector<CalibrationRecord> records;
};

// Drifted blocks at 1 and 5, one in tolerance at 2, none at 3, one that
// loses its save at 4, a drifted one at 6.
std::map<int, FakeBlock> standard() {
    FakeBlock lost;
    lost.losesSave = true;
    FakeBlock good;
    good.asFound = 248;
    return {{1, FakeBlock{}}, {2, good}, {4, lost}, {5, FakeBlock{}}, {6, FakeBlock{}}};
}

QStringList readings(const CalibrationRecord &r) {
    QStringList v;
    for (const Measurement &m : r.measurements)
        v << QString::number(m.reading.value_or(-1));
    return v;
}
} // namespace

class TestStandCalibration : public QObject {
    Q_OBJECT
  private slots:
    // The whole stand in five gases: clean air and the cylinder's as found,
    // both again for the points, clean air as left (the cylinder's as left
    // follows its point with the gas still on). Each position keeps its own
    // readings, whatever the multiplexer was left on between stages.
    void theWholeStandInOnePassOfGas() {
        Stand st(standard());
        st.runOut();
        QVERIFY(st.s->finished());
        QCOMPARE(st.gases,
                 (QList<int>{int(TestGas::CleanAir), int(TestGas::Cylinder), int(TestGas::CleanAir),
                             int(TestGas::Cylinder), int(TestGas::CleanAir)}));
        QCOMPARE(st.state(1), State::Adjusted);
        QCOMPARE(st.state(2), State::Passed);
        QCOMPARE(st.state(3), State::Empty);
        QCOMPARE(st.state(4), State::Failed);
        QCOMPARE(st.state(5), State::Adjusted);
        st.records = st.s->records();
        QCOMPARE(st.records.size(), std::size_t(5)); // none for the empty position
        for (const CalibrationRecord &r : st.records) {
            QCOMPARE(r.sensorLabel, "Д-" + std::to_string(*r.standPosition));
            QCOMPARE(r.batch, std::string("П-1"));
            QCOMPARE(r.steady.readings, StandCalibration::StandReadings);
        }
        QCOMPARE(readings(*st.record(1)), (QStringList{"3", "200", "245", "1"}));
        QCOMPARE(readings(*st.record(2)), (QStringList{"3", "248"}));
        QCOMPARE(st.record(1)->outcome, CalibrationOutcome::Adjusted);
        // The lost save: read back after it, reset and read again.
        const QList<int> &lost = st.blocks[4].codes;
        QCOMPARE(lost.mid(lost.indexOf(7)), (QList<int>{7, 2, 16, 2, 3, 4}));
        QVERIFY(QString::fromStdString(st.record(4)->remark).startsWith("Блок не сохранил"));
        QCOMPARE(st.blocks[2].codes, (QList<int>{9, 2, 3, 4}));
    }

    // Between stages the page's poll may leave the multiplexer anywhere: each
    // visit switches it first.
    void theMultiplexerMovedBetweenStages() {
        Stand st(standard());
        for (int put = 1; put <= 5; ++put) {
            st.putGases(put);
            st.selected = 6 - put % 6;
        }
        st.stopBefore = [](int) { return false; };
        st.runOut();
        st.records = st.s->records();
        QCOMPARE(readings(*st.record(2)), (QStringList{"3", "248"}));
        QCOMPARE(readings(*st.record(6)), (QStringList{"3", "200", "245", "1"}));
    }

    // A block that stops answering, during a wait or while it is changed,
    // fails on its own; the others go on to the end.
    void aBlockFallsSilent_data() {
        QTest::addColumn<int>("fromGas");
        QTest::addColumn<bool>("reset"); // it was being changed: a reset was tried
        QTest::newRow("waiting for the cylinder's gas as found") << 2 << false;
        QTest::newRow("taking its points") << 3 << true;
    }
    void aBlockFallsSilent() {
        QFETCH(int, fromGas);
        QFETCH(bool, reset);
        std::map<int, FakeBlock> blocks = standard();
        blocks[5].muteFromGas = fromGas;
        Stand st(blocks);
        st.runOut();
        QVERIFY(st.s->finished());
        QCOMPARE(st.state(5), State::Failed);
        QCOMPARE(st.state(1), State::Adjusted);
        st.records = st.s->records();
        QVERIFY(QString::fromStdString(st.record(5)->remark).startsWith("Блок не ответил"));
        QCOMPARE(QString::fromStdString(st.record(5)->remark).contains("сброс"), reset);
    }

    // Aborted after each gas: every block whose adjustment had begun and was
    // not saved is reset, and every record says what its block holds.
    void abortAtEachStage_data() {
        QTest::addColumn<int>("gases");
        for (int g = 0; g <= 5; ++g)
            QTest::newRow(qPrintable(QString("after %1 gases").arg(g))) << g;
    }
    void abortAtEachStage() {
        QFETCH(int, gases);
        Stand st(standard());
        st.putGases(gases);
        for (int i = 0; i < 7; ++i)
            st.turn(); // into the stage's round
        QList<int> before[7];
        for (auto &[p, b] : st.blocks)
            before[p] = b.codes;
        st.s->act(Action::Abort, st.now);
        st.runOut();
        QVERIFY(st.s->finished());
        st.records = st.s->records();
        for (auto &[p, b] : st.blocks) {
            // A block the round had not reached yet answered nothing and has
            // no record, as an empty position.
            const CalibrationRecord *r = st.record(p);
            QCOMPARE(!r, before[p].isEmpty());
            if (!r)
                continue;
            const bool changing = before[p].contains(6) && !before[p].contains(7);
            const QList<int> after = b.codes.mid(before[p].size());
            QCOMPARE(after.contains(16), changing);
            // The reset undid what was taken and not saved: the record says so.
            if (changing)
                for (const AdjustedPoint &pt : r->points)
                    QCOMPARE(pt.after, pt.before);
            if (r->outcome == CalibrationOutcome::Interrupted)
                QVERIFY(QString::fromStdString(r->remark).startsWith("Прервана техником"));
        }
    }

    // On the desk the same engine runs one procedure as a stand of one: no
    // multiplexer, the line kept while the technician chooses, the choices
    // left to the technician (here: finish a block found in tolerance), and
    // the block's readings shown on the page too.
    void aSensorOnTheDeskIsAStandOfOne() {
        CalibrationRecord base;
        base.cylinder.number = "12345";
        base.cylinder.concentration = 250;
        base.cylinder.expiry = "2027-01-01";
        StandCalibration desk(CalibrationProcedure(Block::Tks, SensorGas::Methane, base, 0), 0);
        QVERIFY(desk.desk());
        FakeBlock block;
        block.asFound = 248;
        TestGas gas = TestGas::Ambient;
        std::optional<Frame> pending;
        QSet<int> offered;
        int toBase = 0;
        std::int64_t now = 0;
        for (int i = 0; i < 5000 && !desk.finished(); ++i, now += 350) {
            if (pending) {
                desk.takeReply(*pending, now);
                QCOMPARE(desk.pageMaySee(*pending), (*pending)[1] == Code::Poll);
                pending.reset();
            }
            QVERIFY(!desk.waitsForTechnician());
            const auto &a = desk.stage().actions;
            for (Action x : a)
                offered << int(x);
            if (std::find(a.begin(), a.end(), Action::Finish) != a.end())
                desk.act(Action::Finish, now);
            else if (std::find(a.begin(), a.end(), Action::Ready) != a.end()) {
                gas = desk.stage().gas;
                desk.act(Action::Ready, now);
            }
            if (const std::optional<Frame> f = desk.nextFrame(now)) {
                toBase += (*f)[0] == Block::address(Block::Base);
                pending = block.answer(*f, gas, 0);
            }
        }
        QVERIFY(desk.finished());
        QCOMPARE(toBase, 0);
        QVERIFY(offered.contains(int(Action::Adjust)) && offered.contains(int(Action::AcceptNow)));
        QCOMPARE(desk.records().size(), std::size_t(1));
        QCOMPARE(desk.records().front().outcome, CalibrationOutcome::PassedAsFound);
        QCOMPARE(desk.records().front().steady.readings, 1); // every reading taken
        QVERIFY(!block.codes.contains(7));                   // nothing saved
    }
};

QTEST_MAIN(TestStandCalibration)
#include "test_stand_calibration.moc"
