#pragma once
// One adapter opened for the command line: an adapter layer of its own over
// the shared driver, the line set up as the window sets it (both queues
// purged, 250000 baud, 8 data bits, 2 stop bits, no parity), and frames going
// out and coming in through the window's transmit and receive ticks, which
// find the frame starts again after a byte lost or added on the line.
//
// The first failure of an adapter call is kept in the error box's words (the
// operation, the driver's detail, what to do) and ends the adapter's job, so
// reports stay on while the ticks run, where the window turns them off.

#include "link/D2xxLayer.h"
#include "link/D2xxLinkPort.h"
#include "protocol/ExchangeCycle.h"

#include <string>
#include <vector>

class AdapterLink {
  public:
    AdapterLink(FtDriver &driver, std::string serialNumber);
    ~AdapterLink();
    AdapterLink(const AdapterLink &) = delete;
    AdapterLink &operator=(const AdapterLink &) = delete;

    // Opens the adapter and sets the line up; false when any step failed.
    bool open();
    void close();

    void send(const Frame &frame);
    // Every good frame that has arrived since the last call.
    std::vector<Frame> receive();

    bool failed() const { return !failure_.empty(); }
    const std::string &failure() const { return failure_; }

  private:
    class ReportingPort : public D2xxLinkPort {
      public:
        using D2xxLinkPort::D2xxLinkPort;
        void setErrorReports(bool) override {}
    };

    std::string serialNumber_;
    D2xxLayer layer_;
    ReportingPort port_;
    ExchangeCycle exchange_;
    bool open_ = false;
    std::string failure_;
};
