// The journal window over a journal made in a temporary folder: what each
// filter lets through, the rows that want attention in red, a certificate and
// a CSV of what is shown, a journal not made yet left unmade, and the buttons
// that open it from the base page and the calibration window.

#include "RecordSample.h"
#include "pages/BasePage.h"
#include "records/JournalTable.h"
#include "records/RecordStore.h"
#include "testsupport/ScriptedChooser.h"
#include "testsupport/WindowHarness.h"
#include "ui/CalibrationHandler.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/JournalWindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
CalibrationRecord record(int serial, std::string when, CalibrationOutcome outcome,
                         std::string technician, std::string nextDue) {
    CalibrationRecord r = sampleRecord(serial, std::move(when));
    r.outcome = outcome;
    r.technician = std::move(technician);
    r.nextDue = std::move(nextDue);
    return r;
}
} // namespace

class TestJournalWindow : public QObject, WindowHarness {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    ScriptedChooser chooser;
    std::unique_ptr<JournalWindow> window;
    QString path() const { return dir->filePath("records.sqlite"); }

    QList<qint64> shownNumbers() const {
        QList<qint64> numbers;
        for (const CalibrationRecord &r : window->shownRecords())
            numbers << r.number;
        return numbers;
    }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        RecordStore store;
        QVERIFY(store.open(path(), nullptr));
        using O = CalibrationOutcome;
        CalibrationRecord pgs =
            record(23103, "2026-11-20T09:00:00", O::Interrupted, "Сидоров П.", "");
        pgs.model = "ЗЭ12";
        pgs.block = Block::Pgs;
        CalibrationRecord onStand =
            record(23102, "2026-03-05T11:00:00", O::Failed, "Иванов И. И.", "");
        onStand.batch = "П-7";
        onStand.standPosition = 7;
        onStand.sensorLabel = "DTK-007";
        CalibrationRecord alsoOnStand =
            record(23104, "2026-02-01T08:00:00", O::Adjusted, "Иванов И. И.", "2026-08-01");
        alsoOnStand.batch = "П-7";
        for (const CalibrationRecord &r :
             {record(23101, "2026-01-10T10:00:00", O::Adjusted, "Петрова А. С.", "2026-07-10"),
              onStand,
              record(23101, "2026-09-01T12:00:00", O::PassedAsFound, "петрова а. с.", "2027-03-01"),
              pgs, alsoOnStand})
            QVERIFY(store.add(r, nullptr));
        messages.clear();
        chooser = ScriptedChooser();
        window = std::make_unique<JournalWindow>(messages);
        window->setRecordsPath(path());
        window->setFileChooser(chooser);
        window->setToday(QDate(2026, 12, 8));
    }
    void cleanup() {
        window.reset();
        form.reset();
    }

    void filtersChooseRecords_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("outcome"); // the combo's row; 0 all
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("technician");
        QTest::addColumn<QString>("batch");
        QTest::addColumn<QList<qint64>>("shown");
        const QDate any(2000, 1, 1);
        QTest::newRow("all, newest first")
            << ""
            << "" << 0 << any << "" << QString() << QList<qint64>{5, 4, 3, 2, 1};
        QTest::newRow("serial") << " 23101 "
                                << "" << 0 << any << "" << QString() << QList<qint64>{3, 1};
        QTest::newRow("model") << ""
                               << "ЗЭ12" << 0 << any << "" << QString() << QList<qint64>{4};
        QTest::newRow("failed") << ""
                                << "" << 3 << any << "" << QString() << QList<qint64>{2};
        QTest::newRow("adjusted") << ""
                                  << "" << 2 << any << "" << QString() << QList<qint64>{5, 1};
        QTest::newRow("from a day, that day in")
            << ""
            << "" << 0 << QDate(2026, 3, 5) << "" << QString() << QList<qint64>{4, 3, 2};
        QTest::newRow("technician in any case")
            << ""
            << "" << 0 << any << "ПЕТРОВ" << QString() << QList<qint64>{3, 1};
        QTest::newRow("all together")
            << "23101"
            << "ЗЭ11.2к" << 1 << QDate(2026, 6, 1) << "петр" << QString() << QList<qint64>{3};
        QTest::newRow("a stand's batch") << ""
                                         << "" << 0 << any << ""
                                         << " П-7 " << QList<qint64>{5, 2};
        QTest::newRow("nothing matches") << "99999"
                                         << "" << 0 << any << "" << QString() << QList<qint64>{};
    }
    void filtersChooseRecords() {
        QFETCH(QString, serial);
        QFETCH(QString, model);
        QFETCH(int, outcome);
        QFETCH(QDate, from);
        QFETCH(QString, technician);
        QFETCH(QString, batch);
        QFETCH(QList<qint64>, shown);
        window->serialFilter->setText(serial);
        if (!model.isEmpty())
            window->kindFilter->setCurrentIndex(window->kindFilter->findData(model));
        window->outcomeFilter->setCurrentIndex(outcome);
        window->fromDate->setDate(from);
        window->technicianFilter->setText(technician);
        window->batchFilter->setText(batch);
        window->showButton->click();
        QCOMPARE(shownNumbers(), shown);
        QCOMPARE(window->recordsTable->rowCount(), shown.size());
        QVERIFY(window->statusLabel->text().contains(
            QString("Показано записей: %1 из 5").arg(shown.size())));
        QVERIFY(messages.errors.isEmpty());
    }

    // Three kinds are a ЗЭ22: the filter and the table tell them apart by block.
    void kindsSharingAModelApart() {
        {
            RecordStore store;
            QVERIFY(store.open(path(), nullptr));
            for (const std::uint8_t block : {Block::TksPgs, Block::Hydrogen}) {
                CalibrationRecord r = sampleRecord(23200 + block, "2026-04-01T10:00:00");
                r.model = "ЗЭ22";
                r.block = block;
                QVERIFY(store.add(r, nullptr));
            }
        }
        QStringList kinds;
        for (int i = 1; i < window->kindFilter->count(); ++i)
            kinds << window->kindFilter->itemText(i);
        QCOMPARE(kinds.size(), 6);
        QCOMPARE(QSet<QString>(kinds.begin(), kinds.end()).size(), 6);
        window->kindFilter->setCurrentIndex(
            window->kindFilter->findText("ЗЭ22, блок ТКС+ПГС водород"));
        window->showRecords();
        QCOMPARE(window->recordsTable->rowCount(), 1);
        QCOMPARE(window->shownRecords().front().serial, 23200 + Block::Hydrogen);
        QCOMPARE(window->recordsTable->item(0, JournalTable::SensorBlock)->text(),
                 QString("ТКС+ПГС водород"));
        QCOMPARE(window->recordsTable->item(0, JournalTable::Model)->text(), QString("ЗЭ22"));
    }

    void toDateAndEnterApply() {
        window->toDate->setDate(QDate(2026, 2, 1));
        QTest::keyClick(window->technicianFilter, Qt::Key_Return);
        QCOMPARE(shownNumbers(), (QList<qint64>{5, 1}));
    }

    void badSerialIsRefusedAndChangesNothing() {
        window->showRecords();
        window->serialFilter->setText("12a");
        window->showRecords();
        QCOMPARE(messages.errors.size(), 1);
        QCOMPARE(shownNumbers().size(), 5);
    }

    // Red: failed, interrupted, and an instrument's newest record past due.
    void outcomeInRedWhenItWantsAttention_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("red");
        QTest::newRow("overdue, newest of its instrument") << 0 << true;
        QTest::newRow("interrupted") << 1 << true;
        QTest::newRow("passed, due later") << 2 << false;
        QTest::newRow("failed") << 3 << true;
        QTest::newRow("past due but calibrated since") << 4 << false;
    }
    void outcomeInRedWhenItWantsAttention() {
        QFETCH(int, row);
        QFETCH(bool, red);
        window->showRecords();
        const QTableWidgetItem *item = window->recordsTable->item(row, JournalTable::Outcome);
        QCOMPARE(item->foreground().color() == QColor(0xC0, 0, 0), red);
    }

    void certificateOfTheSelectedRecord() {
        window->serialFilter->setText("23102");
        window->showRecords();
        chooser.answer = dir->filePath("cert.pdf");
        window->certificateButton->click();
        QCOMPARE(chooser.asked, 1);
        QVERIFY(QFile(chooser.answer).size() > 1000);
        QVERIFY(messages.errors.isEmpty());
    }

    // Decimals as the program's locale writes them, as on the pages.
    void csvOfWhatIsShown_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("concentration");
        QTest::addColumn<QString>("uncertainty");
        QTest::newRow("C") << QLocale::c() << "2.50"
                           << "0.05";
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << "2,50"
                                 << "0,05";
    }
    void csvOfWhatIsShown() {
        QFETCH(QLocale, locale);
        QFETCH(QString, concentration);
        QFETCH(QString, uncertainty);
        const QLocale before;
        QLocale::setDefault(locale);
        window->outcomeFilter->setCurrentIndex(3);
        window->showRecords();
        chooser.answer = dir->filePath("journal.csv");
        QCOMPARE(window->recordsTable->item(0, JournalTable::Stand)->text(),
                 QString("поз. 7, DTK-007"));
        window->exportButton->click();
        QLocale::setDefault(before);
        QFile f(chooser.answer);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // heading, one record, the empty end
        QCOMPARE(lines[0], QByteArray("\xEF\xBB\xBF\"№\";\"Дата\";\"Прибор №\";\"Модель\";"
                                      "\"Блок датчика\";\"Итог\";\"Следующая\";\"Выполнил\";"
                                      "\"Баллон\";\"Газ баллона\";\"Концентрация\";\"Погрешность\";"
                                      "\"Газ-основа\";\"Поставщик\";\"Паспорт\";\"Годен до\";"
                                      "\"Партия стенда\";\"Позиция стенда\";\"Метка датчика\"\r"));
        QCOMPARE(QString::fromUtf8(lines[1]),
                 QString("\"2\";\"05.03.2026 11:00:00\";\"23102\";\"ЗЭ11.2к\";\"ТКС\";\"%1\";\"—\";"
                         "\"Иванов И. И.\";\"ПГС-0417\";\"CH4 в воздухе\";\"%2\";\"%3\";"
                         "\"воздух\";\"ООО «Мониторинг»\";\"30.06.2026\";\"30.06.2027\";"
                         "\"П-7\";\"7\";\"DTK-007\"\r")
                     .arg(QString::fromStdString(outcomeText(CalibrationOutcome::Failed)),
                          concentration, uncertainty));
    }

    void csvToAMissingFolderKeepsNothing() {
        window->showRecords();
        chooser.answer = dir->filePath("no/such/folder/journal.csv");
        window->exportButton->click();
        QCOMPARE(messages.errors.size(), 1);
        QVERIFY(!QFile::exists(chooser.answer));
    }

    void missingJournalIsNotMade() {
        const QString missing = dir->filePath("none/records.sqlite");
        window->setRecordsPath(missing);
        window->showRecords();
        QVERIFY(window->statusLabel->text().startsWith("Записей пока нет"));
        QCOMPARE(window->recordsTable->rowCount(), 0);
        QVERIFY(!QFile::exists(missing));
    }

    void openedFromBasePageAndCalibrationWindow() {
        startWindow({{"FT232R USB UART", "A50285BI"}});
        form->calibration()->setRecordsPath(path());
        openRow(0);
        identifyAs(1, 23101);
        JournalWindow *journal = form->calibration()->journal();
        form->basePage->findChild<QPushButton *>("journalButton")->click();
        QVERIFY(journal->isVisible());
        QCOMPARE(journal->serialFilter->text(), QString("23101"));
        QCOMPARE(journal->shownRecords().size(), std::size_t(2));
        journal->close();
        journal->serialFilter->clear();
        form->calibration()->window()->journalButton->click();
        QVERIFY(journal->isVisible());
        QCOMPARE(journal->shownRecords().size(), std::size_t(5));
    }
};

QTEST_MAIN(TestJournalWindow)
#include "test_journal_window.moc"
