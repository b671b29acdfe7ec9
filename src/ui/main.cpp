#include "CalibrationHandler.h"
#include "GasControl.h"
#include "JournalWindow.h"
#include "MemoryTuning.h"
#include "TForm1.h"
#include "dialogs/BoxMessages.h"
#include "link/CompositeFtDriver.h"
#include "link/SerialPortFtDriver.h"
#include "link/UsbHotplugMonitor.h"
#include "records/RecordStore.h"
#include "settings/QtRussian.h"
#include "sim/SimFtDriver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>

#include <cmath>
#include <memory>

namespace {

// The gas the technician chose goes on the sensors of every virtual
// instrument, the one on the line among them; a cylinder's percent in each
// block's own units.
void applyToVirtualBench(SimFtDriver &sim, TestGas gas, double percent) {
    for (std::size_t i = 0; i < sim.adapterCount(); ++i) {
        const auto units =
            static_cast<int>(std::lround(percent * sim.instrument(i).unitsPerPercent()));
        sim.applyGas(sim.serialNumber(i), gas, units);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    keepLargeBlocksReturnable();
    QApplication::setApplicationName("Серия ЗЭ-23");
    QApplication::setApplicationVersion(ZE23_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Обслуживание и настройка переносных газоанализаторов серии ЗЭ-23 через адаптер USB "
        "(FTDI).");
    // Qt's own help and version options describe themselves in English.
    const QCommandLineOption helpOption(QStringList{"h", "help"}, "Эта справка.");
    const QCommandLineOption versionOption(QStringList{"v", "version"}, "Версия программы.");
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    const QCommandLineOption simulateOption(
        "simulate", "Добавить в список устройств виртуальные приборы всех видов (1, 2, 3, 4, 5, "
                    "7), чтобы работать без оборудования.");
    parser.addOption(simulateOption);
    const QCommandLineOption recordsOption(
        "records",
        "Журнал калибровок: файл SQLite (по умолчанию records.sqlite в папке данных "
        "пользователя или то, что задано в окне журнала) или сервер "
        "postgresql://пользователь[:пароль]@сервер[:порт]/база.",
        "FILE");
    parser.addOption(recordsOption);
    const QCommandLineOption outboxOption(
        "outbox",
        "С журналом на сервере: файл этого рабочего места, где каждая запись хранится и откуда "
        "отправляется на сервер (по умолчанию records.sqlite в папке данных пользователя).",
        "FILE");
    parser.addOption(outboxOption);

    // --help and --version answer without the window system, where no display is.
    const auto answerHelpOrVersion = [&] {
        if (parser.isSet(helpOption))
            parser.showHelp();
        if (parser.isSet(versionOption))
            parser.showVersion();
    };
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "-h" || a == "--help" || a == "-v" || a == "--version") {
            QCoreApplication plain(argc, argv);
            installQtRussian(plain);
            parser.process(plain);
            answerHelpOrVersion();
        }
    }

    // Qt's own file dialog and boxes, which speak Russian with Qt's
    // translations; a desktop's native dialog would follow the desktop's
    // language instead.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    installQtRussian(app);
    parser.process(app);
    answerHelpOrVersion();
    const bool simulate = parser.isSet(simulateOption);
    QApplication::setWindowIcon(QIcon(QApplication::applicationDirPath() + "/ze23-setup.png"));

    SerialPortFtDriver serialDriver;
    std::unique_ptr<SimFtDriver> simDriver;
    CompositeFtDriver driver;
    driver.add(serialDriver);
    if (simulate) {
        simDriver = std::make_unique<SimFtDriver>();
        driver.add(*simDriver);
    }

    BoxMessages messages;
    TForm1 form(driver, messages);
    messages.setParent(&form);
    if (parser.isSet(outboxOption))
        form.calibration()->setOutboxPath(QFileInfo(parser.value(outboxOption)).absoluteFilePath());
    const QString records = parser.isSet(recordsOption) ? parser.value(recordsOption)
                                                        : JournalWindow::rememberedLocation();
    if (!records.isEmpty())
        form.calibration()->setRecordsPath(
            RecordStore::isServer(records) ? records : QFileInfo(records).absoluteFilePath());

    UsbHotplugMonitor hotplug;
    QObject::connect(&hotplug, &UsbHotplugMonitor::deviceArrived, &form,
                     [&form] { form.WMDeviceChange(TForm1::DeviceArrival); });
    QObject::connect(&hotplug, &UsbHotplugMonitor::deviceRemoved, &form,
                     [&form] { form.WMDeviceChange(TForm1::DeviceRemoveComplete); });

    // Under --simulate a small tool window beside the main one says what is
    // on the virtual sensors.
    GasControl *gasControl = nullptr;
    if (simDriver) {
        gasControl = new GasControl(
            [&sim = *simDriver](TestGas gas, double percent) {
                applyToVirtualBench(sim, gas, percent);
            },
            &form);
        gasControl->setWindowFlags(Qt::Tool);
        form.calibration()->setGasControl(gasControl);
    }

    form.show();
    if (gasControl) {
        gasControl->adjustSize();
        gasControl->move(form.frameGeometry().topRight() + QPoint(8, 0));
        gasControl->show();
    }
    return app.exec();
}
