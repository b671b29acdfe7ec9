#include "AdapterLink.h"

namespace {
// A receive tick takes one frame; a tick of the command line takes all that
// wait, up to what the line can bring in the meantime.
constexpr int MostFramesAtOnce = 64;
} // namespace

AdapterLink::AdapterLink(FtDriver &driver, std::string serialNumber)
    : serialNumber_(std::move(serialNumber)), layer_(driver), port_(layer_) {
    layer_.setErrorBox([this](const std::string &message) {
        if (failure_.empty())
            failure_ = message;
    });
}

AdapterLink::~AdapterLink() {
    close();
}

bool AdapterLink::open() {
    if (layer_.Open_USB_Device_By_Serial_Number(serialNumber_) != FT_OK)
        return false;
    open_ = true;
    layer_.SetInstrumentLine();
    exchange_.resetStream();
    return !failed();
}

void AdapterLink::close() {
    if (!open_)
        return;
    open_ = false;
    layer_.CloseFTDevice();
}

void AdapterLink::send(const Frame &frame) {
    exchange_.CommandFrame = frame;
    exchange_.transmitTick(port_);
}

std::vector<Frame> AdapterLink::receive() {
    std::vector<Frame> frames;
    for (int i = 0; i < MostFramesAtOnce && !failed(); ++i) {
        const ExchangeCycle::Received r = exchange_.receiveTick(port_);
        if (r == ExchangeCycle::Received::Nothing)
            break;
        if (r != ExchangeCycle::Received::Invalid)
            frames.push_back(exchange_.ReplyFrame);
    }
    return frames;
}
