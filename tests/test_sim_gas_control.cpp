// The gas control of the virtual instruments: each choice reaches the
// function it was given, a cylinder with its percent; a concentration that
// is not a number from 0 to 100 is refused under the field and applies
// nothing.

#include "ui/GasControl.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <optional>
#include <utility>

Q_DECLARE_METATYPE(TestGas)

class TestSimGasControl : public QObject {
    Q_OBJECT

  private slots:
    void choices_data();
    void choices();
};

void TestSimGasControl::choices_data() {
    QTest::addColumn<TestGas>("gas");
    QTest::addColumn<QString>("percent"); // in the field
    QTest::addColumn<bool>("applied");
    QTest::addColumn<double>("given"); // the percent handed on
    QTest::newRow("чистый воздух") << TestGas::CleanAir << "abc" << true << 0.0;
    QTest::newRow("порог 2") << TestGas::Threshold2 << "2.50" << true << 0.0;
    QTest::newRow("баллон 2.50") << TestGas::Cylinder << "2.50" << true << 2.5;
    QTest::newRow("баллон, запятая") << TestGas::Cylinder << " 1,25 " << true << 1.25;
    QTest::newRow("баллон, не число") << TestGas::Cylinder << "2.5%" << false << 0.0;
    QTest::newRow("баллон больше 100 %") << TestGas::Cylinder << "150" << false << 0.0;
    QTest::newRow("баллон меньше нуля") << TestGas::Cylinder << "-1" << false << 0.0;
}

void TestSimGasControl::choices() {
    QFETCH(TestGas, gas);
    QFETCH(QString, percent);
    QFETCH(bool, applied);
    QFETCH(double, given);
    std::optional<std::pair<TestGas, double>> got;
    GasControl control([&got](TestGas g, double p) { got = {g, p}; });
    control.findChild<QLineEdit *>("cylinderPercent")->setText(percent);
    QCOMPARE(control.choose(gas), applied);
    // Refused: nothing applied, the reason shown, the list back on the gas in force.
    using Got = std::optional<std::pair<TestGas, double>>;
    QCOMPARE(got, applied ? Got({gas, given}) : Got());
    QCOMPARE(control.gas(), applied ? gas : TestGas::Ambient);
    QCOMPARE(control.findChild<QComboBox *>("gasChoice")->currentIndex() == 0, !applied);
    QCOMPARE(control.findChild<QLabel *>("gasProblem")->isHidden(), applied);
}

QTEST_MAIN(TestSimGasControl)
#include "test_sim_gas_control.moc"
