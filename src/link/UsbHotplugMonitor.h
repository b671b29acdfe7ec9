#pragma once
// Arrival and removal notices for USB devices, from udev. Without udev the monitor stays
// silent; the device list can still be refreshed by hand.

#include <QObject>

class QSocketNotifier;
struct udev;
struct udev_monitor;

class UsbHotplugMonitor : public QObject {
    Q_OBJECT
  public:
    explicit UsbHotplugMonitor(QObject *parent = nullptr);
    ~UsbHotplugMonitor() override;

    // True when udev notices are being received.
    bool isActive() const { return notifier_ != nullptr; }

  signals:
    void deviceArrived();
    void deviceRemoved();

  private:
    void drain();
    void release();

    udev *udev_ = nullptr;
    udev_monitor *monitor_ = nullptr;
    QSocketNotifier *notifier_ = nullptr;
};
