#include "SimFtDriver.h"

#include <algorithm>
#include <cstring>

namespace {

// Eight upper-case letters and digits, as on an FTDI chip: "FTV1" and four
// base-36 digits that follow from the kind.
std::string adapterSerial(std::uint8_t kind) {
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::uint32_t n = (kind * 40507u + 7919u) % (36u * 36u * 36u * 36u);
    std::string tail(4, '0');
    for (int i = 3; i >= 0; --i) {
        tail[static_cast<std::size_t>(i)] = digits[n % 36];
        n /= 36;
    }
    return "FTV1" + tail;
}

} // namespace

SimFtDriver::SimFtDriver(SimClock clock, std::uint32_t rngStart)
    : clock_(clock ? std::move(clock) : SimClock(steadyClockMs)) {
    std::uint32_t i = 0;
    for (const VirtualInstrument::Kind &k : VirtualInstrument::kinds()) {
        ++i;
        const auto instrumentSerial = static_cast<std::uint16_t>(23000 + 101 * k.deviceType);
        VirtualInstrument vi(k.deviceType, instrumentSerial, rngStart * 2654435761u + i);
        // The ТКС and oxygen instruments sit on a stand of 32 of their blocks.
        if (k.deviceType == 1 || k.deviceType == 7)
            vi.setStand(VirtualStand::standard());
        vi.setClock(clock_);
        vi.setDrifted(true);
        adapters_.emplace_back(adapterSerial(k.deviceType),
                               std::string("ЗЭ-23 виртуальный: ") + k.name, std::move(vi),
                               rngStart * 40503u + 977u * i);
    }
}

bool SimFtDriver::applyGas(const std::string &serial, TestGas gas, int concentration) {
    for (Adapter &a : adapters_) {
        if (a.serial == serial) {
            a.instrument.applyGas(gas, concentration);
            return true;
        }
    }
    return false;
}

std::int64_t SimFtDriver::now() const {
    return clock_();
}

SimFtDriver::Adapter *SimFtDriver::find(FtHandle handle) {
    if (handle == 0)
        return nullptr;
    for (Adapter &a : adapters_)
        if (a.handle == handle)
            return &a;
    return nullptr;
}

// As the library fills list buffers: the text and its zero, cut at `size`.
FtStatus SimFtDriver::copyText(const std::string &text, char *buffer, std::size_t size) {
    if (buffer == nullptr || size == 0)
        return FT_INVALID_PARAMETER;
    fillListBuffer(text, buffer, size);
    return FT_OK;
}

FtStatus SimFtDriver::listCount(std::uint32_t &count) {
    count = static_cast<std::uint32_t>(adapters_.size());
    return FT_OK;
}

FtStatus SimFtDriver::listSerialNumber(std::uint32_t index, char *buffer, std::size_t size) {
    if (index >= adapters_.size())
        return FT_DEVICE_NOT_FOUND;
    return copyText(adapters_[index].serial, buffer, size);
}

FtStatus SimFtDriver::listDescription(std::uint32_t index, char *buffer, std::size_t size) {
    if (index >= adapters_.size())
        return FT_DEVICE_NOT_FOUND;
    return copyText(adapters_[index].description, buffer, size);
}

void SimFtDriver::lineSettingsToDefaults(Adapter &a) {
    a.baud = 9600;
    a.wordLength = FT_BITS_8;
    a.stopBits = FT_STOP_BITS_1;
    a.parity = FT_PARITY_NONE;
}

bool SimFtDriver::lineMatches(const Adapter &a) const {
    return a.baud == LineBaud && a.wordLength == FT_BITS_8 && a.stopBits == FT_STOP_BITS_2 &&
           a.parity == FT_PARITY_NONE;
}

FtStatus SimFtDriver::openBySerialNumber(const char *serial, FtHandle &handle) {
    handle = 0;
    lastTrouble_ = LinkTrouble::None;
    if (serial == nullptr) {
        lastError_ = "не задан серийный номер адаптера";
        return FT_INVALID_PARAMETER;
    }
    for (Adapter &a : adapters_) {
        if (a.serial != serial)
            continue;
        if (a.handle != 0) {
            lastError_ = "виртуальный адаптер " + a.serial + " уже открыт";
            lastTrouble_ = LinkTrouble::Busy;
            return FT_DEVICE_NOT_OPENED;
        }
        a.handle = nextHandle_++;
        lineSettingsToDefaults(a);
        a.input.clear();
        a.pending.clear();
        a.rx.clear();
        // The adapter powers the instrument: opening it again wakes one that
        // was switched off.
        a.instrument.powerOn();
        handle = a.handle;
        lastError_.clear();
        return FT_OK;
    }
    lastError_ = std::string("нет виртуального адаптера ") + serial;
    return FT_DEVICE_NOT_FOUND;
}

FtStatus SimFtDriver::close(FtHandle handle) {
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    a->handle = 0;
    a->input.clear();
    a->pending.clear();
    a->rx.clear();
    return FT_OK;
}

void SimFtDriver::settle(Adapter &a) {
    const std::int64_t t = now();
    while (!a.pending.empty() && a.pending.front().readyAt <= t) {
        const Chunk &c = a.pending.front();
        a.rx.insert(a.rx.end(), c.bytes.begin(), c.bytes.end());
        a.pending.pop_front();
    }
}

FtStatus SimFtDriver::read(FtHandle handle, std::uint8_t *buffer, std::uint32_t toRead,
                           std::uint32_t &got) {
    got = 0;
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    if (buffer == nullptr && toRead > 0)
        return FT_INVALID_PARAMETER;
    settle(*a);
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(toRead, a->rx.size()));
    std::copy_n(a->rx.begin(), n, buffer);
    a->rx.erase(a->rx.begin(), a->rx.begin() + n);
    got = n;
    return FT_OK;
}

FtStatus SimFtDriver::write(FtHandle handle, const std::uint8_t *buffer, std::uint32_t toWrite,
                            std::uint32_t &written) {
    written = 0;
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    if (buffer == nullptr && toWrite > 0)
        return FT_INVALID_PARAMETER;
    for (std::uint32_t i = 0; i < toWrite; ++i) {
        a->input.push_back(buffer[i]);
        if (a->input.size() == FrameSize) {
            Frame command;
            std::copy(a->input.begin(), a->input.end(), command.begin());
            a->input.clear();
            takeCommand(*a, command);
        }
    }
    written = toWrite;
    return FT_OK;
}

void SimFtDriver::takeCommand(Adapter &a, const Frame &command) {
    a.written.push_back(command);
    if (!lineMatches(a))
        return;
    if (std::optional<Frame> r = a.instrument.answer(command))
        sendReply(a, *r);
}

void SimFtDriver::sendReply(Adapter &a, Frame reply) {
    SimFaults &f = a.faults;
    // The delay is drawn even for a lost reply, so a drop does not shift the
    // timing of those after it.
    const auto delay =
        MinReplyDelayMs +
        static_cast<std::int64_t>(
            a.timing() % static_cast<std::uint32_t>(MaxReplyDelayMs - MinReplyDelayMs + 1));
    if (f.dropReplies > 0) {
        --f.dropReplies;
        return;
    }

    if (f.corruptChecksum) {
        reply[7] ^= 0xFF;
        f.corruptChecksum = false;
    }
    std::vector<std::uint8_t> bytes(reply.begin(), reply.end());
    if (f.dropByteAt) {
        bytes.erase(bytes.begin() +
                    static_cast<std::ptrdiff_t>(std::min(*f.dropByteAt, FrameSize - 1)));
        f.dropByteAt.reset();
    }
    if (f.garbageBefore) {
        bytes.insert(bytes.begin(), *f.garbageBefore);
        f.garbageBefore.reset();
    }

    // The queue is read strictly in order, so a reply with a shorter delay
    // still waits behind the one before it, as on a serial line.
    const std::int64_t readyAt = now() + delay + f.extraDelayMs;
    if (f.splitAfter > 0 && static_cast<std::size_t>(f.splitAfter) < bytes.size()) {
        const auto cut = bytes.begin() + f.splitAfter;
        const std::int64_t secondAt = readyAt + std::max(0, f.splitGapMs);
        a.pending.push_back({readyAt, std::vector<std::uint8_t>(bytes.begin(), cut)});
        a.pending.push_back({secondAt, std::vector<std::uint8_t>(cut, bytes.end())});
    } else {
        a.pending.push_back({readyAt, std::move(bytes)});
    }
    f.splitAfter = 0;
    f.splitGapMs = 0;
}

FtStatus SimFtDriver::setBaudRate(FtHandle handle, std::uint32_t baud) {
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    // The range an FT232R can divide its clock into.
    if (baud < 183 || baud > 3000000)
        return FT_INVALID_BAUD_RATE;
    a->baud = baud;
    return FT_OK;
}

FtStatus SimFtDriver::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                             std::uint8_t stopBits, std::uint8_t parity) {
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) || parity > 4)
        return FT_INVALID_PARAMETER;
    a->wordLength = wordLength;
    a->stopBits = stopBits;
    a->parity = parity;
    return FT_OK;
}

FtStatus SimFtDriver::purge(FtHandle handle, std::uint32_t mask) {
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    if (mask & FT_PURGE_RX) {
        a->pending.clear();
        a->rx.clear();
    }
    if (mask & FT_PURGE_TX)
        a->input.clear();
    return FT_OK;
}

FtStatus SimFtDriver::getStatus(FtHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                                std::uint32_t &event) {
    rxBytes = txBytes = event = 0;
    Adapter *a = find(handle);
    if (a == nullptr)
        return FT_INVALID_HANDLE;
    settle(*a);
    rxBytes = static_cast<std::uint32_t>(a->rx.size());
    return FT_OK;
}

std::string SimFtDriver::lastErrorDetail() const {
    return lastError_;
}
