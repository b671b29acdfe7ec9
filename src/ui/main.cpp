#include "BoxMessages.h"
#include "MemoryTuning.h"
#include "TForm1.h"
#include "link/CompositeFtDriver.h"
#include "link/SerialPortFtDriver.h"
#include "link/UsbHotplugMonitor.h"
#include "sim/SimFtDriver.h"

#include <QApplication>
#include <QStringList>

#include <memory>

int main(int argc, char *argv[]) {
    keepLargeBlocksReturnable();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Серия ЗЭ-23");

    const bool simulate = QApplication::arguments().contains("--simulate");

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
