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
    void listsEveryGas();
};

void TestSimGasControl::choices_data() {
    QTest::addColumn<TestGas>("gas");
    QTest::addColumn<QString>("percent"); // in the field
    QTest::addColumn<bool>("applied");
    QTest::addColumn<double>("given"); // the percent handed on
    QTest::newRow("чистый воздух") << TestGas::CleanAir << "abc" << true << 0.0;
    QTest::newRow("азот") << TestGas::ZeroGas << "" << true << 0.0;
    QTest::newRow("порог 2") << TestGas::Threshold2 << "2.50" << true << 0.0;
    QTest::newRow("баллон 2.50") << TestGas::Cylinder << "2.50" << true << 2.5;
    QTest::newRow("баллон, запятая") << TestGas::Cylinder << " 1,25 " << true << 1.25;
    QTest::newRow("баллон 20.9 %") << TestGas::Cylinder << "20.9" << true << 20.9;
    QTest::newRow("баллон, не число") << TestGas::Cylinder << "2.5%" << false << 0.0;
    QTest::newRow("баллон, пусто") << TestGas::Cylinder << "" << false << 0.0;
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
    const auto *problem = control.findChild<QLabel *>("gasProblem");
    QCOMPARE(problem->isHidden(), applied);
    if (!applied) {
        // Nothing changes: the list shows the gas still on the sensors.
        QVERIFY(!got);
        QCOMPARE(control.gas(), TestGas::Ambient);
        QCOMPARE(control.findChild<QComboBox *>("gasChoice")->currentIndex(), 0);
        QVERIFY(problem->text().contains("от 0 до 100"));
        return;
    }
    QVERIFY(got);
    QCOMPARE(got->first, gas);
    QCOMPARE(got->second, given);
    QCOMPARE(control.gas(), gas);
}

void TestSimGasControl::listsEveryGas() {
    GasControl control({});
    QCOMPARE(control.objectName(), QString("gasControl"));
    const auto *box = control.findChild<QComboBox *>("gasChoice");
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    QCOMPARE(items, (QStringList{"Воздух помещения", "Чистый воздух", "Нулевой газ (азот)",
                                 "Газ из баллона", "Газ порога 1", "Газ порога 2"}));
}

QTEST_MAIN(TestSimGasControl)
#include "test_sim_gas_control.moc"
