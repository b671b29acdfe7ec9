#pragma once
// The instrument kinds the base may report in its answer to code 9, and what
// the tool shows for each.

#include "Frame.h"

#include <cstdint>
#include <string>

struct InstrumentKind {
    std::uint8_t deviceType;
    const char *baseCaption;  // caption of the base page's tab
    int blockPage;            // page index of the kind's sensor block
    const char *blockCaption; // caption of that page's tab
    const char *model;        // model text ahead of the serial number
    std::uint8_t firstPollAddress;
};

// nullptr for kinds the tool does not serve.
const InstrumentKind *findInstrumentKind(std::uint8_t deviceType);
inline bool isAcceptedKind(std::uint8_t deviceType) {
    return findInstrumentKind(deviceType) != nullptr;
}

// The base answers 9 with its kind in byte 4 and serial number in bytes 5 and 6.
inline std::uint8_t deviceTypeOf(const Frame &reply) {
    return reply[4];
}
inline std::uint16_t serialNumberOf(const Frame &reply) {
    return word16(reply, 5);
}

// "ЗЭ11.2к   № 12345" (UTF-8).
std::string modelLine(const InstrumentKind &kind, std::uint16_t serial);
