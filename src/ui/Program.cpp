#include "Program.h"

#include "CalibrationHandler.h"
#include "GasControl.h"
#include "StandHandler.h"
#include "TForm1.h"
#include "WindowPlacement.h"
#include "dialogs/BoxMessages.h"
#include "link/CompositeFtDriver.h"
#include "link/SerialPortFtDriver.h"
#include "link/UsbHotplugMonitor.h"
#include "records/RecordStore.h"
#include "sim/SimFtDriver.h"
#include "workshop/JournalLocationDialog.h"

#include <QFileInfo>

#include <cmath>

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

// Declared in the order they are needed; destroyed the other way round, the
// window before the drivers and boxes it uses.
struct Program::Parts {
    SerialPortFtDriver serialDriver;
    std::unique_ptr<SimFtDriver> simDriver;
    CompositeFtDriver driver;
    BoxMessages messages;
    std::unique_ptr<TForm1> form;
    UsbHotplugMonitor hotplug;
    GasControl *gasControl = nullptr;
};

Program::Program(const ProgramOptions &options) : parts_(std::make_unique<Parts>()) {
    Parts &p = *parts_;
    p.driver.add(p.serialDriver);
    if (options.simulate) {
        p.simDriver = std::make_unique<SimFtDriver>();
        p.driver.add(*p.simDriver);
    }
    // The window is on screen with its device list first; the rest is built
    // and wired once it has been painted.
    p.form =
        std::make_unique<TForm1>(p.driver, p.messages, nullptr, TForm1::Building::FirstPageFirst);
    p.messages.setParent(p.form.get());
    QObject::connect(p.form.get(), &TForm1::built, p.form.get(),
                     [this, options] { wire(options); });
}

void Program::wire(const ProgramOptions &options) {
    Parts &p = *parts_;
    TForm1 &form = *p.form;
    CalibrationHandler &calibration = *form.calibration();
    if (!options.outbox.isEmpty())
        calibration.setOutboxPath(QFileInfo(options.outbox).absoluteFilePath());
    const QString records =
        options.records.isEmpty() ? JournalLocationDialog::remembered() : options.records;
    if (!records.isEmpty())
        calibration.setRecordsPath(
            RecordStore::isServer(records) ? records : QFileInfo(records).absoluteFilePath());

    QObject::connect(&p.hotplug, &UsbHotplugMonitor::deviceArrived, &form,
                     [&form] { form.WMDeviceChange(TForm1::DeviceArrival); });
    QObject::connect(&p.hotplug, &UsbHotplugMonitor::deviceRemoved, &form,
                     [&form] { form.WMDeviceChange(TForm1::DeviceRemoveComplete); });

    // Under --simulate a small tool window beside the main one says what is
    // on the virtual sensors.
    if (p.simDriver) {
        p.gasControl = new GasControl(
            [&sim = *p.simDriver](TestGas gas, double percent) {
                applyToVirtualBench(sim, gas, percent);
            },
            &form);
        p.gasControl->setWindowFlags(Qt::Tool);
        calibration.setGasControl(p.gasControl);
        form.stand()->setGasControl(p.gasControl);
        if (form.isVisible())
            showGasControl();
    }
}

Program::~Program() = default;

void Program::show() {
    parts_->form->show();
    showGasControl();
}

void Program::showGasControl() {
    if (GasControl *gas = parts_->gasControl) {
        gas->adjustSize();
        placeBeside(*gas, *parts_->form);
        gas->show();
    }
}

TForm1 &Program::form() {
    parts_->form->finishBuilding();
    return *parts_->form;
}

GasControl *Program::gasControl() const {
    parts_->form->finishBuilding();
    return parts_->gasControl;
}

SimFtDriver *Program::simulator() const {
    return parts_->simDriver.get();
}
