// The program as main() builds it for --simulate, nothing handed in: every
// button and menu entry that saves or opens a file shows the file dialog
// the technician would see (closed again at once from a timer), and every
// window the program opens fits a 1366×768 screen with a taskbar.

#include "RecordSample.h"
#include "mux/TForm2.h"
#include "pages/BlockPage.h"
#include "protocol/InstrumentKind.h"
#include "records/RecordStore.h"
#include "sim/SimFtDriver.h"
#include "ui/CalibrationHandler.h"
#include "ui/GasControl.h"
#include "ui/PageIndex.h"
#include "ui/Program.h"
#include "ui/SensorHistoryHandler.h"
#include "ui/StandHandler.h"
#include "ui/TForm1.h"
#include "ui/WorkshopHandler.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/CylinderRegisterWindow.h"
#include "workshop/DueWindow.h"
#include "workshop/JournalLocationDialog.h"
#include "workshop/JournalWindow.h"
#include "workshop/SensorHistoryWindow.h"
#include "workshop/StandCalibrationWindow.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

class TestWiring : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Program> program;

    TForm1 &form() { return program->form(); }

    // Does `press`, then gives the caption of the file dialog that came up
    // (rejected at once), or what came up instead, or nothing.
    static QString shownBy(const std::function<void()> &press) {
        QString seen;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, [&seen] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (!w->isVisible())
                    continue;
                if (auto *d = qobject_cast<QFileDialog *>(w)) {
                    seen = d->windowTitle();
                    d->reject();
                } else if (auto *box = qobject_cast<QMessageBox *>(w)) {
                    seen = "box: " + box->text();
                    box->reject();
                }
            }
        });
        watch.start();
        press();
        // A file dialog of a button runs inside the press; one that follows a
        // read of the instrument comes a few ticks later.
        (void)QTest::qWaitFor([&seen] { return !seen.isEmpty(); }, 15000);
        return seen;
    }

    void identify(int kind) {
        SimFtDriver &sim = *program->simulator();
        for (std::size_t i = 0; i < sim.adapterCount(); ++i)
            if (sim.instrument(i).kind() == kind)
                form().ListView1->selectRow(int(i));
        form().ListView1DblClick();
        QVERIFY(QTest::qWaitFor([this, kind] { return form().IdentifiedType == kind; }, 10000));
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        ProgramOptions options;
        options.simulate = true;
        options.records = dir.filePath("records.sqlite");
        program = std::make_unique<Program>(options);
        program->show();
        RecordStore store;
        QString error;
        QVERIFY2(store.open(options.records, &error), qPrintable(error));
        QVERIFY2(store.add(sampleRecord(), &error), qPrintable(error));
    }
    void cleanupTestCase() { program.reset(); }

    void chartsAndTracesAskWhereToSave() {
        // Every sensor page made, as identifying each kind would.
        for (int page = PageIndex::Tks; page <= PageIndex::Oxygen; ++page)
            form().setTabShown(page, true);
        const QList<QAction *> entries = form().findChildren<QAction *>();
        int asked = 0;
        for (QAction *entry : entries) {
            if (!entry->text().endsWith("…"))
                continue;
            QVERIFY2(shownBy([entry] { entry->trigger(); }).startsWith("Сохранить"),
                     qPrintable(entry->objectName()));
            ++asked;
        }
        QVERIFY(asked >= 10);
        for (int page = PageIndex::Tks; page <= PageIndex::Oxygen; ++page)
            form().setTabShown(page, false);
    }

    void settingsAskForTheirFile() {
        identify(1);
        const int page = PageIndex::ofBlock(findInstrumentKind(1)->sensor.block);
        form().PageControl1->setCurrentIndex(page);
        for (const char *name : {"LoadSettingsButton", "SaveSettingsButton"}) {
            auto *button = form().findChild<QPushButton *>(QString("%1%2").arg(name).arg(page));
            QVERIFY(button);
            const QString seen = shownBy([button] { button->click(); });
            QVERIFY2(seen.contains("настройки"), qPrintable(name + (": " + seen)));
        }
    }

    void calibrationWindowSavesItsCertificate() {
        CalibrationWindow &window = *form().calibration()->window();
        const CalibrationRecord record = sampleRecord();
        window.prepare(record, dir.filePath("records.sqlite"));
        window.showKept(record, QString());
        window.show();
        QCOMPARE(shownBy([&window] { window.certificateButton->click(); }),
                 QString("Сохранить свидетельство о калибровке"));
    }

    void journalSavesCertificateAndCsv() {
        form().calibration()->openJournal(0);
        JournalWindow &journal = *form().calibration()->journal();
        QVERIFY(journal.isVisible());
        QCOMPARE(journal.recordsTable->rowCount(), 1);
        QCOMPARE(shownBy([&journal] { journal.certificateButton->click(); }),
                 QString("Сохранить свидетельство о калибровке"));
        QCOMPARE(shownBy([&journal] { journal.exportButton->click(); }),
                 QString("Экспорт журнала калибровок"));
    }

    // From the device list page, with no instrument on the line.
    void workshopWindowsOpenFromTheFirstPage() {
        WorkshopHandler &workshop = *form().workshop();
        workshop.dueButton->click();
        QVERIFY(workshop.dueWindow()->isVisible());
        DueWindow &due = *workshop.dueWindow();
        QCOMPARE(due.dueTable->rowCount(), 0); // the sample is due in a year
        due.daysSpin->setValue(400);
        due.showButton->click();
        QCOMPARE(due.dueTable->rowCount(), 1);
        // Closed, a window gives its picture back; opened again, it is whole.
        QVERIFY(due.backingStore());
        due.close();
        QCoreApplication::processEvents();
        QVERIFY(!due.backingStore());
        workshop.dueButton->click();
        QVERIFY(QTest::qWaitForWindowExposed(&due));
        QCOMPARE(due.dueTable->rowCount(), 1);
        workshop.cylindersButton->click();
        QVERIFY(workshop.cylinderWindow()->isVisible());
        workshop.journalLocationButton->click();
        JournalLocationDialog &location = *workshop.locationDialog();
        QVERIFY(location.isVisible());
        QCOMPARE(shownBy([&location] { location.browseButton->click(); }),
                 QString("Файл журнала калибровок"));
        location.reject();
    }

    // Every field a technician types into or picks from is named by what
    // they read beside it (a buddy label or an accessible name), so that a
    // screen reader, and the end-to-end test, finds it.
    void everyFieldHasAName() {
        QStringList nameless;
        for (QWidget *top : QApplication::topLevelWidgets())
            for (QWidget *w : top->findChildren<QWidget *>()) {
                const bool field = qobject_cast<QLineEdit *>(w) ||
                                   qobject_cast<QAbstractSpinBox *>(w) ||
                                   qobject_cast<QComboBox *>(w);
                // Parts of another widget (a spin box's own line edit, a file
                // dialog's innards) are named by their owner.
                if (!field || qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
                    qobject_cast<QComboBox *>(w->parentWidget()) ||
                    qobject_cast<QFileDialog *>(top))
                    continue;
                QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
                if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
                    nameless << top->objectName() + "/" + w->objectName();
            }
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(", ")));
    }

    // At its smallest, each window leaves room for a taskbar and its title
    // bar on a 1366×768 screen.
    void everyWindowFitsTheScreen() {
        form().calibration()->journal()->sensorHistoryButton->click();
        QWidget *windows[] = {form().calibration()->window(),
                              form().calibration()->journal(),
                              form().calibration()->sensorHistory()->window(),
                              program->gasControl(),
                              form().Form2,
                              form().workshop()->dueWindow(),
                              form().stand()->window(),
                              form().workshop()->cylinderWindow()};
        for (QWidget *w : windows) {
            const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
            QVERIFY2(least.width() <= 1366 && least.height() <= 768 - 48 - 32,
                     qPrintable(QString("%1: %2×%3")
                                    .arg(w->objectName())
                                    .arg(least.width())
                                    .arg(least.height())));
        }
    }
};

QTEST_MAIN(TestWiring)
#include "test_wiring.moc"
