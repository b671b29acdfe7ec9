// The register of gas cylinders: which cylinder suits which block, the
// entries refused in the technician's words, and the register itself on a
// SQLite file and again on the PostgreSQL server ZE23_TEST_PG names
// (scripts/pg-test.sh starts one; without it that pass is skipped).

#include "calibration/CylinderFit.h"
#include "protocol/Frame.h"
#include "records/CylinderRegister.h"
#include "records/CylinderSync.h"
#include "records/JournalRoles.h"
#include "records/RecordKeys.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
RegisteredCylinder methane(const std::string &number = "ГСО 10-123") {
    return {number,   "CH4 в воздухе",    "methane",    250,          5,
            "воздух", "ООО «Мониторинг»", "2026-06-01", "2027-06-01", ""};
}

const QDate Today(2026, 12, 8);
} // namespace

// Which cylinder the span of each block takes.
class TestCylinderFit : public QObject {
    Q_OBJECT
  private slots:
    void suitability_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("gas"); // SensorGas the block is judged in
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<int>("concentration"); // hundredths of a percent
        QTest::addColumn<QString>("refusal");   // part of it; empty when it suits
        const int methane = int(SensorGas::Methane), propane = int(SensorGas::Propane),
                  hydrogen = int(SensorGas::Hydrogen), oxygen = int(SensorGas::Oxygen);
        QTest::newRow("catalytic methane: CH4 in air") << int(Block::Tks) << methane << "methane"
                                                       << "воздух" << 250 << "";
        QTest::newRow("catalytic methane: propane")
            << int(Block::Tks) << methane << "propane"
            << "воздух" << 85 << "Баллон с пропаном не подходит датчику метана.";
        QTest::newRow("catalytic methane: CH4 in nitrogen")
            << int(Block::Tks) << methane << "methane"
            << "азот" << 250 << "в «азот» не подходит датчику метана: ему нужен газ в воздухе";
        QTest::newRow("catalytic methane: balance not given")
            << int(Block::Tks) << methane << "methane"
            << "" << 250 << "Баллон с метаном не подходит датчику метана: ему нужен газ в воздухе";
        QTest::newRow("catalytic propane: C3H8 in air")
            << int(Block::TksPgs) << propane << "propane"
            << "Воздух" << 85 << "";
        QTest::newRow("hydrogen: H2 in air") << int(Block::Hydrogen) << hydrogen << "hydrogen"
                                             << "воздух" << 100 << "";
        QTest::newRow("hydrogen: methane")
            << int(Block::Hydrogen) << hydrogen << "methane"
            << "воздух" << 100 << "Баллон с метаном не подходит датчику водорода.";
        QTest::newRow("oxygen: O2 in nitrogen") << int(Block::Oxygen) << oxygen << "oxygen"
                                                << "азот" << 1800 << "";
        QTest::newRow("oxygen: hundredths it cannot hold")
            << int(Block::Oxygen) << oxygen << "oxygen"
            << "азот" << 1805 << "Концентрацию баллона 18,05 % блок не запишет точно";
        QTest::newRow("oxygen: nitrogen is its zero gas, not its span")
            << int(Block::Oxygen) << oxygen << "nitrogen"
            << "" << 9999 << "Баллон с азотом не подходит датчику кислорода.";
        QTest::newRow("ПГС: its gas in air") << int(Block::Pgs) << methane << "methane"
                                             << "воздух" << 50 << "";
        QTest::newRow("ПГС: its gas in nitrogen") << int(Block::Pgs) << methane << "methane"
                                                  << "N2" << 50 << "нужен газ в воздухе";
        QTest::newRow("optical methane: CH4 in nitrogen")
            << int(Block::OpticMethane) << methane << "methane"
            << "азот" << 250 << "";
        QTest::newRow("optical methane: zero air")
            << int(Block::OpticMethane) << methane << "zero-air"
            << "" << 100 << "Баллон с нулевым воздухом не подходит датчику метана.";
    }
    void suitability() {
        QFETCH(int, block);
        QFETCH(int, gas);
        QFETCH(QString, component);
        QFETCH(QString, balance);
        QFETCH(int, concentration);
        QFETCH(QString, refusal);
        RegisteredCylinder c = methane();
        c.component = component.toStdString();
        c.balance = balance.toStdString();
        c.concentration = concentration;
        c.uncertainty = 0;
        const auto misfit =
            cylinderMisfit(c, *findCalibrationRules(std::uint8_t(block)), SensorGas(gas));
        if (refusal.isEmpty())
            QVERIFY2(!misfit, misfit->c_str());
        else
            QVERIFY2(misfit && QString::fromStdString(*misfit).contains(refusal),
                     misfit ? misfit->c_str() : "suits");
    }

    // The record keeps the block's units; the register's hundredths must go
    // into them exactly.
    void blockUnits() {
        QCOMPARE(inBlockUnits(250, 100), 250);
        QCOMPARE(inBlockUnits(2090, 10), 209);
        QCOMPARE(inBlockUnits(2095, 10), std::nullopt);
        QCOMPARE(inBlockUnits(100, 0), std::nullopt);
        for (const auto &[typed, hundredths] :
             std::initializer_list<std::pair<const char *, std::optional<int>>>{
                 {"2,5", 250},
                 {" 0.05 ", 5},
                 {"100", 10000},
                 {"0", 0},
                 {"2,505", std::nullopt},
                 {"100,01", std::nullopt},
                 {",5", std::nullopt},
                 {"2,", std::nullopt},
                 {"-1", std::nullopt},
                 {"", std::nullopt}})
            QVERIFY2(hundredthsOf(typed) == hundredths, typed);
        RegisteredCylinder o2 = methane();
        o2.concentration = 1800;
        o2.uncertainty = 20;
        const Cylinder r = recordCylinder(o2, 10);
        QCOMPARE(r.concentration, 180);
        QCOMPARE(r.uncertainty, 2);
        QCOMPARE(r.certified, o2.certified);
        QCOMPARE(r.supplier, o2.supplier);
    }

    // The register's sensor-gas components are the journal's keys for the gases.
    void componentsAreTheSensorGasKeys() {
        for (SensorGas g :
             {SensorGas::Methane, SensorGas::Propane, SensorGas::Hydrogen, SensorGas::Oxygen})
            QCOMPARE(componentKey(componentOf(g)), sensorGasKey(g));
    }
};

class TestCylinderRegister : public QObject {
    Q_OBJECT

    const bool server_;
    QTemporaryDir dir_;
    // On a server as a bench's technician; the journal made and changed
    // behind the register's back by its owner (ZE23_TEST_PG_OWNER, or the
    // same login).
    QString location() const {
        return server_ ? qEnvironmentVariable("ZE23_TEST_PG") : dir_.filePath("records.sqlite");
    }
    QString owner() const {
        const QString given = qEnvironmentVariable("ZE23_TEST_PG_OWNER");
        return server_ && !given.isEmpty() ? given : location();
    }
    std::unique_ptr<RecordStore> store_;

    CylinderRegister opened() {
        store_ = std::make_unique<RecordStore>();
        QString error;
        if (!store_->open(location(), &error))
            qWarning() << error;
        return CylinderRegister(*store_);
    }
    std::size_t count() {
        QString error;
        return CylinderRegister(*store_)
            .all(&error)
            .value_or(std::vector<RegisteredCylinder>{})
            .size();
    }

  public:
    explicit TestCylinderRegister(bool server) : server_(server) {}

  private slots:
    void initTestCase() {
        if (server_ && location().isEmpty())
            QSKIP("ZE23_TEST_PG не задан: реестр на PostgreSQL не проверяется");
    }
    void init() {
        store_.reset();
        if (!server_) {
            QFile::remove(location());
            return;
        }
        QString why;
        {
            QSqlDatabase db = RecordLocation::addServer(owner(), "raw", &why);
            QVERIFY2(db.open(), qPrintable(why));
            QSqlQuery q(db);
            QVERIFY(q.exec("SET client_min_messages = warning"));
            QVERIFY(q.exec("DROP TABLE IF EXISTS gas_cylinders, settings_after, points, "
                           "measurements, versions, records, schema_version, this_bench, sent, "
                           "cylinders CASCADE") &&
                    q.exec("DROP FUNCTION IF EXISTS journal_refuse_change() CASCADE") &&
                    q.exec("DROP FUNCTION IF EXISTS journal_login() CASCADE"));
        }
        QSqlDatabase::removeDatabase("raw");
        RecordStore made;
        QVERIFY2(made.open(owner(), &why), qPrintable(why));
        QSqlDatabase db = QSqlDatabase::database(made.connectionName());
        QVERIFY2(JournalRoles::grant(db, &why), qPrintable(why));
    }

    // Whole, as given, after reopening; a number once only, the first kept.
    void addedReadsBackAndNumbersAreUnique() {
        QString error;
        RegisteredCylinder asked = methane();
        asked.added = "2026-12-08T09:15:00";
        QVERIFY2(opened().add(asked, &error), qPrintable(error));
        RegisteredCylinder other = methane();
        other.concentration = 220;
        QVERIFY(!opened().add(other, &error));
        QVERIFY2(error.contains("баллон № ГСО 10-123 в реестре уже есть (внесён 2026-12-08)"),
                 qPrintable(error));
        const auto found = opened().find("ГСО 10-123", &error);
        QVERIFY(found);
        QVERIFY(*found == asked);
        QVERIFY(!opened().find("ГСО 10-999", &error));
        QVERIFY(error.isEmpty());
        RegisteredCylinder unstamped = methane("ГСО 10-124");
        QVERIFY(opened().add(unstamped, &error));
        QCOMPARE(opened().find("ГСО 10-124", &error)->added.size(), std::size_t(19));
    }

    void badEntryIsRefusedInWords_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty number") << "number"
                                      << ""
                                      << "Укажите номер или партию баллона.";
        QTest::newRow("no concentration") << "concentration"
                                          << "0"
                                          << "больше 0 и не больше 100";
        QTest::newRow("over 100 %") << "concentration"
                                    << "10001"
                                    << "больше 0 и не больше 100";
        QTest::newRow("negative uncertainty")
            << "uncertainty"
            << "-1"
            << "Погрешность концентрации не может быть меньше нуля.";
        QTest::newRow("uncertainty as large")
            << "uncertainty"
            << "250"
            << "Погрешность концентрации (2,50 %) должна быть меньше самой концентрации (2,50 %).";
        QTest::newRow("expiry before certificate")
            << "expiry"
            << "2026-05-31"
            << "Баллон годен до 2026-05-31, а паспорт на него выдан "
               "позже, 2026-06-01: проверьте даты.";
        QTest::newRow("no such day") << "certified"
                                     << "2026-02-30"
                                     << "дату паспорта";
        QTest::newRow("unknown component") << "component"
                                           << "argon"
                                           << "(«argon»)";
        QTest::newRow("no gas") << "gas"
                                << ""
                                << "Укажите газ баллона";
        QTest::newRow("line feed in the number") << "number"
                                                 << "ГСО 10-123\nГСО 10-124"
                                                 << "В номере баллона есть управляющий символ";
        QTest::newRow("tab in the number") << "number"
                                           << "ГСО\t10-123"
                                           << "В номере баллона";
        QTest::newRow("line separator in the number")
            << "number" << QString("ГСО 10-123") + QChar(0x2028) << "В номере баллона";
        QTest::newRow("C1 control in the supplier")
            << "supplier" << QString("ООО") + QChar(0x85) << "В поставщике баллона";
        QTest::newRow("carriage return in the gas") << "gas"
                                                    << "CH4\r в воздухе"
                                                    << "В названии газа баллона";
        QTest::newRow("year 0000") << "certified"
                                   << "0000-06-01"
                                   << "дату паспорта";
        QTest::newRow("expiry in year 0000") << "expiry"
                                             << "0000-06-01"
                                             << "до какого дня";
        QTest::newRow("no balance gas") << "balance"
                                        << ""
                                        << "Укажите газ-основу";
        QTest::newRow("no supplier") << "supplier"
                                     << ""
                                     << "Укажите поставщика";
    }
    void badEntryIsRefusedInWords() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, says);
        RegisteredCylinder c = methane();
        const std::string v = value.toStdString();
        if (field == "number")
            c.number = v;
        else if (field == "concentration")
            c.concentration = value.toInt();
        else if (field == "uncertainty")
            c.uncertainty = value.toInt();
        else if (field == "expiry")
            c.expiry = v;
        else if (field == "certified")
            c.certified = v;
        else if (field == "component")
            c.component = v;
        else if (field == "gas")
            c.gas = v;
        else if (field == "balance")
            c.balance = v;
        else if (field == "supplier")
            c.supplier = v;
        QString error;
        QVERIFY(!opened().add(c, &error));
        QVERIFY2(error.contains(says), qPrintable(error));
        QCOMPARE(count(), std::size_t(0));
    }

    // A number that reads like a registered one, only its Cyrillic and Latin
    // look-alike letters swapped, is refused naming that one; a number that
    // really differs, or a copy from another register, is taken.
    void lookAlikeNumberIsRefused_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("like"); // empty: taken
        QTest::newRow("Latin A, C, P for Cyrillic") << "ACP-17"
                                                    << "в реестре есть баллон № АСР-17";
        QTest::newRow("one Latin letter") << "AСР-17"
                                          << "№ АСР-17";
        QTest::newRow("lower case Latin") << "Гсo-5x"
                                          << "№ Гсо-5х";
        QTest::newRow("another number") << "АСР-18"
                                        << "";
        QTest::newRow("a letter with no look-alike") << "DСР-17"
                                                     << "";
    }
    void lookAlikeNumberIsRefused() {
        QFETCH(QString, number);
        QFETCH(QString, like);
        QString error;
        CylinderRegister reg = opened();
        QVERIFY2(reg.add(methane("АСР-17"), &error), qPrintable(error));
        QVERIFY2(reg.add(methane("Гсо-5х"), &error), qPrintable(error));
        const bool added = reg.add(methane(number.toStdString()), &error);
        QCOMPARE(added, like.isEmpty());
        QVERIFY2(error.contains(like), qPrintable(error));
        QCOMPARE(count(), std::size_t(like.isEmpty() ? 3 : 2));
        if (like.isEmpty())
            return;
        QVERIFY(
            reg.add(methane(number.toStdString()), &error, CylinderRegister::LookAlikes::Allowed));
    }

    // For a block on a day: those not expired that suit it; and those that
    // expire soon, the soonest first.
    void usableAndExpiring() {
        QString error;
        CylinderRegister reg = opened();
        RegisteredCylinder expired = methane("A-expired");
        expired.expiry = "2026-12-07";
        RegisteredCylinder lastDay = methane("B-last-day");
        lastDay.expiry = "2026-12-08";
        RegisteredCylinder propane = methane("C-propane");
        propane.component = "propane";
        RegisteredCylinder later = methane("D-later");
        later.expiry = "2027-01-05";
        for (const RegisteredCylinder &c : {later, expired, lastDay, propane, methane("E-year")})
            QVERIFY2(reg.add(c, &error), qPrintable(error));
        const auto usable =
            reg.usable(Today, *findCalibrationRules(Block::Tks), SensorGas::Methane, &error);
        QVERIFY2(usable, qPrintable(error));
        QStringList numbers;
        for (const RegisteredCylinder &c : *usable)
            numbers << QString::fromStdString(c.number);
        QCOMPARE(numbers, (QStringList{"B-last-day", "D-later", "E-year"}));
        const auto soon = reg.expiring(Today, 30, &error);
        QVERIFY(soon);
        numbers.clear();
        for (const RegisteredCylinder &c : *soon)
            numbers << QString::fromStdString(c.number);
        QCOMPARE(numbers, (QStringList{"B-last-day", "D-later"}));
        QCOMPARE(reg.all(&error)->size(), std::size_t(5));
    }

    // A bench's register and the server's brought together: each takes what
    // the other has, a number registered differently on each is named.
    void benchAndServerRegistersMeet() {
        const QString benchFile = dir_.filePath("bench.sqlite");
        QFile::remove(benchFile);
        RecordStore bench;
        QVERIFY(bench.open(benchFile, nullptr));
        CylinderRegister onBench(bench), onServer = opened();
        QString error;
        RegisteredCylinder differs = methane("D");
        for (const char *n : {"A", "C"})
            QVERIFY(onBench.add(methane(n), &error));
        QVERIFY(onBench.add(differs, &error));
        differs.concentration = 220;
        for (const char *n : {"B", "C"})
            QVERIFY(onServer.add(methane(n), &error));
        QVERIFY(onServer.add(differs, &error));
        const CylinderSync::Pass pass = CylinderSync::both(bench, *store_);
        QVERIFY2(pass.error.isEmpty(), qPrintable(pass.error));
        QCOMPARE(pass.toServer, 1);
        QCOMPARE(pass.toBench, 1);
        QCOMPARE(pass.differing, QStringList{"D"});
        for (const CylinderRegister *r : {&onBench, &onServer}) {
            QStringList numbers;
            const auto all = r->all(&error);
            QVERIFY(all);
            for (const RegisteredCylinder &c : *all)
                numbers << QString::fromStdString(c.number);
            QCOMPARE(numbers, (QStringList{"A", "B", "C", "D"}));
        }
        QCOMPARE(onServer.find("A", &error), onBench.find("A", &error));
        const CylinderSync::Pass again = CylinderSync::both(bench, *store_);
        QCOMPARE(again.toServer + again.toBench, 0);
    }

    // Cylinders A, B, C registered, then one change made with the triggers
    // dropped, as another program could; what verify says of it.
    void changeBehindTheRegisterShows_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("says");
        QTest::newRow("none") << ""
                              << "Реестр баллонов цел: 3 баллона, каждый как внесён.";
        QTest::newRow("concentration")
            << "UPDATE cylinders SET concentration = 260 WHERE number = 'B'"
            << "Баллон № B изменён после внесения в реестр";
        QTest::newRow("expiry put off")
            << "UPDATE cylinders SET expiry = '2030-01-01' WHERE number = 'A'"
            << "Баллон № A изменён после внесения в реестр";
        QTest::newRow("one from between removed") << "DELETE FROM cylinders WHERE number = 'B'"
                                                  << "Перед баллоном № C из реестра удалён баллон";
        QTest::newRow("one added behind its back")
            << "INSERT INTO cylinders (number, gas, component, concentration, uncertainty, "
               "balance, supplier, certified, expiry, added) VALUES ('D', 'CH4', 'methane', 250, "
               "5, 'воздух', 'x', '2026-01-01', '2027-01-01', '2026-12-08T10:00:00')"
            << "Баллон № D изменён после внесения в реестр";
    }
    void changeBehindTheRegisterShows() {
        QFETCH(QString, change);
        QFETCH(QString, says);
        QString error;
        for (const char *number : {"A", "B", "C"})
            QVERIFY2(opened().add(methane(number), &error), qPrintable(error));
        if (!change.isEmpty()) {
            RecordStore asOwner;
            QVERIFY(asOwner.open(owner(), &error));
            QSqlQuery q(QSqlDatabase::database(asOwner.connectionName()));
            for (const QString &drop :
                 server_ ? QStringList{"DROP TRIGGER cylinders_change_refused ON cylinders"}
                         : QStringList{"DROP TRIGGER cylinders_update_refused",
                                       "DROP TRIGGER cylinders_delete_refused"})
                QVERIFY2(q.exec(drop), qPrintable(drop));
            QVERIFY2(q.exec(change), qPrintable(change));
        }
        QCOMPARE(opened().verify().reason, says);
    }

    // A register from before it was chained gets its chain on opening, in
    // the order the cylinders were added.
    void registerKeptBeforeIsChained() {
        QString error;
        RegisteredCylinder later = methane("Б-2"), earlier = methane("А-1");
        later.added = "2026-12-08T10:00:00";
        earlier.added = "2026-12-01T10:00:00";
        QVERIFY(opened().add(later, &error) && opened().add(earlier, &error));
        store_.reset();
        {
            RecordStore asOwner;
            QVERIFY(asOwner.open(owner(), &error));
            QSqlQuery q(QSqlDatabase::database(asOwner.connectionName()));
            QVERIFY(q.exec("DROP INDEX cylinders_by_seq") && q.exec("DROP INDEX records_by_batch"));
            for (const char *column : {"seq", "hash", "previous_hash"})
                QVERIFY(q.exec(QString("ALTER TABLE cylinders DROP COLUMN %1").arg(column)));
            for (const char *column : {"sensor_label", "batch", "steady_readings"})
                QVERIFY(q.exec(QString("ALTER TABLE records DROP COLUMN %1").arg(column)));
            QVERIFY(q.exec("UPDATE schema_version SET version = 8"));
        }
        QVERIFY2(RecordStore().open(owner(), &error), qPrintable(error));
        QCOMPARE(opened().verify().reason, "Реестр баллонов цел: 2 баллона, каждый как внесён.");
        QVERIFY(opened().add(methane("В-3"), &error));
        QCOMPARE(opened().verify().records, std::size_t(3));
    }

    // A write the database refuses halfway leaves nothing, and says why.
    void refusedWriteLeavesNothing() {
        QString error;
        CylinderRegister reg = opened();
        RecordStore asOwner;
        QVERIFY(asOwner.open(owner(), &error));
        QSqlQuery q(
            QSqlDatabase::database(server_ ? asOwner.connectionName() : store_->connectionName()));
        QVERIFY(q.exec(server_ ? "ALTER TABLE cylinders ADD CONSTRAINT short CHECK "
                                 "(length(supplier) < 5)"
                               : "CREATE TRIGGER planted BEFORE INSERT ON cylinders BEGIN "
                                 "SELECT RAISE(ABORT, 'сбой'); END"));
        QVERIFY(!reg.add(methane(), &error));
        QVERIFY2(error.startsWith("Баллон не внесён в реестр: "), qPrintable(error));
        QCOMPARE(count(), std::size_t(0));
        RecordStore closed;
        QVERIFY(!CylinderRegister(closed).add(methane(), &error));
        QVERIFY(!CylinderRegister(closed).all(&error));
        QVERIFY(error.contains("не открыт"));
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // What the stores keep beside the journals goes to the tests' own data folder.
    QStandardPaths::setTestModeEnabled(true);
    TestCylinderFit fit;
    TestCylinderRegister onFile(false);
    TestCylinderRegister onServer(true);
    return QTest::qExec(&fit, argc, argv) | QTest::qExec(&onFile, argc, argv) |
           QTest::qExec(&onServer, argc, argv);
}
#include "test_cylinders.moc"
