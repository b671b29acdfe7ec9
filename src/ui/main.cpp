#include "MemoryTuning.h"
#include "TForm1.h"
#include "dialogs/BoxMessages.h"
#include "link/CompositeFtDriver.h"
#include "link/SerialPortFtDriver.h"
#include "link/UsbHotplugMonitor.h"
#include "sim/SimFtDriver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <memory>

int main(int argc, char *argv[]) {
    keepLargeBlocksReturnable();
    QApplication::setApplicationName("Серия ЗЭ-23");
    QApplication::setApplicationVersion(ZE23_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Обслуживание и настройка переносных газоанализаторов серии ЗЭ-23 через адаптер USB "
        "(FTDI).");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulateOption(
        "simulate", "Добавить в список устройств виртуальные приборы всех видов (1, 2, 3, 4, 5, "
                    "7), чтобы работать без оборудования.");
    parser.addOption(simulateOption);

    // --help and --version answer without the window system, where no display is.
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "-h" || a == "--help" || a == "--help-all" || a == "-v" || a == "--version") {
            QCoreApplication plain(argc, argv);
            parser.process(plain);
        }
    }

    QApplication app(argc, argv);
    parser.process(app);
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

    UsbHotplugMonitor hotplug;
    QObject::connect(&hotplug, &UsbHotplugMonitor::deviceArrived, &form,
                     [&form] { form.WMDeviceChange(TForm1::DeviceArrival); });
    QObject::connect(&hotplug, &UsbHotplugMonitor::deviceRemoved, &form,
                     [&form] { form.WMDeviceChange(TForm1::DeviceRemoveComplete); });

    form.show();
    return app.exec();
}
