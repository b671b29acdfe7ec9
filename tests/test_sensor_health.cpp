// The sensor's health over its calibrations: series of records, each given by
// its block, cylinder and points, and the verdict they come to.

#include "calibration/SensorHealth.h"
#include "protocol/Frame.h"

#include <QRegularExpression>
#include <QTest>

namespace {
using State = HealthVerdict::State;
using Outcome = CalibrationOutcome;
using Points = std::vector<AdjustedPoint>;

// A catalytic (or oxygen) record whose points were left at `zero` and `gas`
// tenths of a millivolt after adjustment.
CalibrationRecord span(std::uint8_t block, int concentration, int zero, int gas,
                       Outcome outcome = Outcome::Adjusted) {
    CalibrationRecord r;
    r.block = block;
    r.perPercent = block == Block::Oxygen ? 10 : 100;
    r.cylinder.concentration = concentration;
    r.outcome = outcome;
    const char *zeroName = block == Block::Oxygen ? "U ноль, мВ" : "U воздух, мВ";
    r.points = {{zeroName, 10, zero - 7, zero},
                {"U газ, мВ", 10, gas - 7, gas},
                {"Калибровочный газ, %", 100, concentration, concentration}};
    return r;
}

CalibrationRecord pgs(int threshold1, int threshold2) {
    CalibrationRecord r;
    r.block = Block::Pgs;
    r.outcome = Outcome::Adjusted;
    r.points = {{"Порог 1", 1, 0, threshold1}, {"Порог 2", 1, 0, threshold2}};
    return r;
}

CalibrationRecord withPoints(CalibrationRecord r, Points points) {
    r.points = std::move(points);
    return r;
}

std::vector<CalibrationRecord> numbered(std::vector<CalibrationRecord> records) {
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].number = std::int64_t(i + 1);
    return records;
}
} // namespace

Q_DECLARE_METATYPE(CalibrationRecord)
Q_DECLARE_METATYPE(std::vector<CalibrationRecord>)
Q_DECLARE_METATYPE(HealthVerdict::State)

class SensorHealthTest : public QObject {
    Q_OBJECT
  private slots:
    void samples_data();
    void samples();
    void verdicts_data();
    void verdicts();
    void everySensorBlockHasARule();
};

void SensorHealthTest::samples_data() {
    QTest::addColumn<CalibrationRecord>("record");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    // 2,50 % methane: (4400 − 4100) tenths = 30 mV, 12 mV per %.
    QTest::newRow("catalytic after adjustment")
        << span(Block::Tks, 250, 4100, 4400) << true << 12.0 << 410.0;
    QTest::newRow("not adjusted: the points as found")
        << withPoints(span(Block::Tks, 250, 0, 0),
                      {{"U воздух, мВ", 10, 4100, std::nullopt}, {"U газ, мВ", 10, 4350, {}}})
        << true << 10.0 << 410.0;
    QTest::newRow("failed without after-values, as found")
        << withPoints(span(Block::Hydrogen, 200, 0, 0, Outcome::Failed),
                      {{"U воздух, мВ", 10, 3000, {}}, {"U газ, мВ", 10, 3100, {}}})
        << true << 5.0 << 300.0;
    // 20,9 % in air: (2590 − 10) tenths = 258 mV, over 20,9 %.
    QTest::newRow("oxygen spanned in air")
        << span(Block::Oxygen, 0, 10, 2600) << true << 259.0 / 20.9 << 1.0;
    QTest::newRow("catalytic, no concentration")
        << span(Block::Tks, 0, 4100, 4400) << false << 0.0 << 0.0;
    QTest::newRow("interrupted") << span(Block::Tks, 250, 4100, 4400, Outcome::Interrupted) << false
                                 << 0.0 << 0.0;
    QTest::newRow("no points") << withPoints(span(Block::Tks, 250, 0, 0), {}) << false << 0.0
                               << 0.0;
    QTest::newRow("gas point read as nothing")
        << withPoints(span(Block::Tks, 250, 0, 0),
                      {{"U воздух, мВ", 10, 4100, 4100}, {"U газ, мВ", 10, {}, {}}})
        << false << 0.0 << 0.0;
    QTest::newRow("ПГС thresholds") << pgs(120, 340) << true << 120.0 << 340.0;
    CalibrationRecord optical = span(Block::OpticMethane, 250, 0, 0, Outcome::PassedAsFound);
    QTest::newRow("optical: no points kept") << optical << false << 0.0 << 0.0;
}

void SensorHealthTest::samples() {
    QFETCH(CalibrationRecord, record);
    QFETCH(bool, taken);
    const std::optional<HealthSample> s = healthSample(record);
    QCOMPARE(s.has_value(), taken);
    if (!s)
        return;
    QFETCH(double, first);
    QFETCH(double, second);
    QVERIFY2(std::abs(s->first - first) < 1e-9, qPrintable(QString::number(s->first)));
    QVERIFY2(std::abs(s->second - second) < 1e-9, qPrintable(QString::number(s->second)));
}

void SensorHealthTest::verdicts_data() {
    QTest::addColumn<std::vector<CalibrationRecord>>("records");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("samples");
    QTest::addColumn<QString>("reason");
    const auto tks = [](int zero, int gas) { return span(Block::Tks, 250, zero, gas); };
    QTest::newRow("no records") << std::vector<CalibrationRecord>{} << State::NoVerdict << 0
                                << "Калибровок этого прибора в журнале нет.";
    QTest::newRow("one record") << numbered({tks(4100, 4400)}) << State::Ok << 1
                                << "Одна калибровка: сравнивать пока не с чем.";
    QTest::newRow("only interrupted ones")
        << numbered({span(Block::Tks, 250, 4100, 4400, Outcome::Interrupted)}) << State::NoVerdict
        << 0 << "Нет законченных калибровок с точками датчика.";
    QTest::newRow("aged a little")
        << numbered({tks(4100, 4400), tks(4120, 4360), tks(4130, 4340)}) << State::Ok << 3
        << "Чувствительность — 70 % от первой калибровки, ноль ушёл на 3,0 мВ.";
    // 30 mV of span down to 13,5: 45 %.
    QTest::newRow("sensitivity down to 45 %")
        << numbered({tks(4100, 4400), tks(4100, 4300), tks(4100, 4235)}) << State::NearsEndOfLife
        << 3 << "Чувствительность датчика упала до 45 % от первой калибровки (порог 50 %).";
    QTest::newRow("exactly at the share is still ok")
        << numbered({tks(4100, 4400), tks(4100, 4250)}) << State::Ok << 2
        << "Чувствительность — 50 % от первой калибровки, ноль ушёл на 0,0 мВ.";
    QTest::newRow("zero gone down 12 mV")
        << numbered({tks(4100, 4400), tks(3980, 4280)}) << State::NearsEndOfLife << 2
        << "Ноль датчика ушёл на 12,0 мВ от первой калибровки (предел 10,0 мВ).";
    QTest::newRow("both")
        << numbered({tks(4100, 4400), tks(4250, 4350)}) << State::NearsEndOfLife << 2
        << "Чувствительность датчика упала до 33 % от первой калибровки (порог 50 %); ноль "
           "датчика ушёл на 15,0 мВ от первой калибровки (предел 10,0 мВ).";
    QTest::newRow("first without concentration: the next one is the first")
        << numbered({span(Block::Tks, 0, 4100, 4400), tks(4100, 4400), tks(4100, 4300)})
        << State::Ok << 2 << "Чувствительность — 67 % от первой калибровки, ноль ушёл на 0,0 мВ.";
    QTest::newRow("a failed one without after-values judged as found")
        << numbered({tks(4100, 4400),
                     withPoints(span(Block::Tks, 250, 0, 0, Outcome::Failed),
                                {{"U воздух, мВ", 10, 4100, {}}, {"U газ, мВ", 10, 4200, {}}})})
        << State::NearsEndOfLife << 2
        << "Чувствительность датчика упала до 33 % от первой калибровки (порог 50 %).";
    QTest::newRow("the newest interrupted one left out")
        << numbered({tks(4100, 4400), tks(4100, 4380),
                     span(Block::Tks, 250, 4100, 4150, Outcome::Interrupted)})
        << State::Ok << 2 << "Чувствительность — 93 % от первой калибровки, ноль ушёл на 0,0 мВ.";
    // Oxygen in air: a cell down from 258 to 150,6 mV, 58 %.
    QTest::newRow("oxygen cell under 60 %")
        << numbered({span(Block::Oxygen, 0, 10, 2590), span(Block::Oxygen, 0, 10, 1516)})
        << State::NearsEndOfLife << 2
        << "Чувствительность датчика упала до 58 % от первой калибровки (порог 60 %).";
    QTest::newRow("oxygen zero 6 mV off")
        << numbered({span(Block::Oxygen, 209, 10, 2590), span(Block::Oxygen, 209, 70, 2650)})
        << State::NearsEndOfLife << 2
        << "Ноль датчика ушёл на 6,0 мВ от первой калибровки (предел 5,0 мВ).";
    QTest::newRow("ПГС thresholds steady")
        << numbered({pgs(100, 300), pgs(110, 290)}) << State::Ok << 2
        << "Пороги ушли от первой калибровки не более чем на 10 %.";
    QTest::newRow("ПГС threshold 2 moved 35 %")
        << numbered({pgs(100, 300), pgs(110, 195)}) << State::NearsEndOfLife << 2
        << "Порог 2 ушёл на 35 % от первой калибровки (предел 30 %).";
    QTest::newRow("optical: no verdict")
        << numbered({span(Block::OpticMethane, 250, 0, 0, Outcome::PassedAsFound)})
        << State::NoVerdict << 0
        << "Блок этого прибора не хранит точек настройки датчика: ресурс датчика по ним не "
           "оценивается.";
}

void SensorHealthTest::verdicts() {
    QFETCH(std::vector<CalibrationRecord>, records);
    QFETCH(State, state);
    QFETCH(int, samples);
    QFETCH(QString, reason);
    const SensorHistory h = sensorHistory(records);
    QCOMPARE(QString::fromStdString(h.verdict.reason), reason);
    QCOMPARE(h.verdict.state, state);
    QCOMPARE(int(h.samples.size()), samples);
    for (std::size_t i = 1; i < h.samples.size(); ++i)
        QVERIFY(h.samples[i - 1].number < h.samples[i].number);
    // Written with a decimal point instead, only the decimals change.
    QString withPoint = reason;
    withPoint.replace(QRegularExpression("(\\d),(\\d)"), "\\1.\\2");
    QCOMPARE(QString::fromStdString(sensorHistory(records, ".").verdict.reason), withPoint);
}

void SensorHealthTest::everySensorBlockHasARule() {
    for (std::uint8_t block :
         {Block::Tks, Block::TksPgs, Block::Hydrogen, Block::Oxygen, Block::Pgs}) {
        const SensorHealthRule *rule = findSensorHealthRule(block);
        QVERIFY(rule);
        QVERIFY(rule->driftLimit > 0);
        QVERIFY(rule->style == SensorHealthRule::Style::Thresholds ||
                (rule->minSensitivityPercent > 0 && rule->minSensitivityPercent < 100));
    }
    QVERIFY(!findSensorHealthRule(Block::OpticMethane));
}

QTEST_APPLESS_MAIN(SensorHealthTest)
#include "test_sensor_health.moc"
