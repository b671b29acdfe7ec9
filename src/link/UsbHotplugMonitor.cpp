#include "UsbHotplugMonitor.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <libudev.h>

#include <cstring>

namespace {

// Bounds one drain so a burst of notices cannot hold the UI thread.
constexpr int MaxNoticesPerDrain = 256;

} // namespace

UsbHotplugMonitor::UsbHotplugMonitor(QObject *parent) : QObject(parent) {
    udev_ = udev_new();
    if (!udev_)
        return;

    // Without udevd nobody re-sends the kernel's notices on the "udev" source; listen to
    // the kernel directly then (its notices come before any rules have run).
    const bool udevdRunning = QFileInfo::exists(QStringLiteral("/run/udev/control"));
    monitor_ = udev_monitor_new_from_netlink(udev_, udevdRunning ? "udev" : "kernel");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        release();
        return;
    }
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0) {
        release();
        return;
    }
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UsbHotplugMonitor::drain);
}

UsbHotplugMonitor::~UsbHotplugMonitor() {
    release();
}

void UsbHotplugMonitor::release() {
    // The notifier watches the monitor's socket: it goes first.
    delete notifier_;
    notifier_ = nullptr;
    if (monitor_)
        udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    if (udev_)
        udev_unref(udev_);
    udev_ = nullptr;
}

void UsbHotplugMonitor::drain() {
    if (!monitor_)
        return;
    for (int i = 0; i < MaxNoticesPerDrain; ++i) {
        udev_device *device = udev_monitor_receive_device(monitor_);
        if (!device)
            break;
        const char *action = udev_device_get_action(device);
        const bool added = action && std::strcmp(action, "add") == 0;
        const bool removed = action && std::strcmp(action, "remove") == 0;
        udev_device_unref(device);
        if (added)
            emit deviceArrived();
        else if (removed)
            emit deviceRemoved();
    }
}
