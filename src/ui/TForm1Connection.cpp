// The device list and the connection: opening an adapter, every way a
// connection ends, device-change notices, start and close of the window.

#include "TForm1.h"

#include "SettingsRun.h"
#include "UsbPage.h"
#include "dialogs/Messages.h"
#include "link/DeviceChangeWait.h"
#include "pages/PumpPage.h"
#include "workshop/CalibrationRun.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>

namespace {
const char *const NoActiveDevices = "Нет активных устройств";
} // namespace

void TForm1::FormCreate() {
    setActivePage(PageIndex::Usb);
    ConnectionOpen = false;
    exchange.ReplyValid = false;
    pumpPage->AmplitudeRepeat = false;
    exchange.Sequence.clear();
    RefreshDeviceList();
    Panel1->setText(NoActiveDevices);
}

void TForm1::RefreshDeviceList() {
    usbPage->RefreshDeviceList(ft);
}

void TForm1::HideBlockPages() {
    setActivePage(PageIndex::Usb);
    for (int i = PageIndex::Base; i <= PageIndex::Oxygen; ++i)
        setTabShown(i, false);
}

void TForm1::EndConnection() {
    if (!ConnectionOpen)
        return;
    settingsRun_->drop();
    calibrationRun_->drop();
    standRun_->drop();
    Timer1->stop();
    Timer2->stop();
    searching(false);
    ft.CloseFTDevice();
    ConnectionOpen = false;
}

void TForm1::Button1Click() {
    setActivePage(PageIndex::Usb);
    if (ConnectionOpen) {
        HideBlockPages();
        EndConnection();
        Panel1->setText(NoActiveDevices);
    }
    RefreshDeviceList();
}

void TForm1::ListView1DblClick() {
    HideBlockPages();
    std::optional<UsbPage::Row> row = usbPage->selectedRow();
    if (!row)
        return;
    if (ConnectionOpen) {
        EndConnection();
        exchange.ReplyValid = false;
        Panel1->setText(NoActiveDevices);
    }
    selectedSerialNumber = row->serialNumber;
    selectedDescription = row->description;

    if (ft.Open_USB_Device_By_Serial_Number(selectedSerialNumber.toStdString()) != FT_OK)
        return;
    Panel1->setText("Открыт USB порт   " + selectedDescription + "   № " + selectedSerialNumber);
    ConnectionOpen = true;

    ft.SetInstrumentLine();
    exchange.resetStream();

    // A page's sequence left unfinished by the last connection would put its
    // codes in byte 1 of the identification request, and the search never ends.
    exchange.Sequence.clear();
    exchange.loadFrame(Block::address(Block::Base), Code::Identify);
    searching(true);

    Timer1->setInterval(350);
    Timer1->start();
    Timer2->setInterval(100);
    Timer2->start();
}

void TForm1::WMDeviceChange(unsigned event) {
    if (event != DeviceArrival && event != DeviceRemoveComplete)
        return;
    if (isClosing())
        return;
    HideBlockPages();
    setActivePage(PageIndex::Usb);
    setTabShown(PageIndex::Base, false);
    if (ConnectionOpen) {
        EndConnection();
        Panel1->setText(NoActiveDevices);
    }
    ft.GetFTDeviceCount();
    Panel1->setText("Обновление списка устройств. Ожидайте! ...");
    // A notice during the wait starts it over rather than nesting another.
    deviceChangeWait->start();
}

void TForm1::deviceChangeWaitFinished() {
    Panel1->setText("Список обновлен!");
    ProgressBar1->setValue(0);
    RefreshDeviceList();
}

bool TForm1::isClosing() const {
    return closingWait->isActive();
}

void TForm1::FormClose() {
    if (!ConnectionOpen || isClosing())
        return;
    deviceChangeWait->stop();
    EndConnection();
    setActivePage(PageIndex::Usb);
    HideBlockPages();
    Panel1->setText("Закрытие программы !!!");
    // The window stays live while the instrument settles; then it goes.
    closingWait->start();
}

void TForm1::finishClosing() {
    closingWait->stop();
    closingDone_ = true;
    close();
}

void TForm1::closeEvent(QCloseEvent *event) {
    // Closed before the rest was built: nothing was open yet.
    if (!built_) {
        event->accept();
        return;
    }
    if (closingDone_ || (!ConnectionOpen && !isClosing())) {
        deviceChangeWait->stop();
        event->accept();
        return;
    }
    FormClose();
    event->ignore();
}

void TForm1::baseSwitchedOff() {
    EndConnection();
    setActivePage(PageIndex::Usb);
    HideBlockPages();
    Panel1->setText(NoActiveDevices);
}
