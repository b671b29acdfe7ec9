#pragma once
// The main window over the fake driver, and the steps every window test takes:
// open an adapter, let a reply arrive, see the next frame that goes out.

#include "FakeFtDriver.h"
#include "RecordingMessages.h"
#include "ui/TForm1.h"

#include <QTableWidget>

#include <memory>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A frame with its checksum.
inline Bytes frame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2 = 0, std::uint8_t b3 = 0,
                   std::uint8_t b4 = 0, std::uint8_t b5 = 0, std::uint8_t b6 = 0) {
    Frame f = sealed({b0, b1, b2, b3, b4, b5, b6, 0});
    return Bytes(f.begin(), f.end());
}

class WindowHarness {
  protected:
    FakeFtDriver driver;
    RecordingMessages messages;
    std::unique_ptr<TForm1> form;

    void startWindow(std::vector<FakeFtDriver::Adapter> adapters) {
        form.reset();
        driver = FakeFtDriver();
        driver.adapters = std::move(adapters);
        messages.clear();
        form = std::make_unique<TForm1>(driver, messages);
    }
    void openRow(int row) {
        form->ListView1->selectRow(row);
        form->ListView1DblClick();
    }
    // One reply off the line, as the receive tick sees it.
    void receive(const Bytes &bytes) {
        driver.queueIncoming(bytes);
        form->Timer2Timer();
    }
    Bytes nextFrameSent() {
        driver.clearWritten();
        form->Timer1Timer();
        return driver.written();
    }
    void identifyAs(std::uint8_t type, std::uint16_t serial = 12345) {
        receive(frame(0, 9, 0, 0, type, serial & 0xFF, serial >> 8));
    }
};
