#pragma once
// The instrument kinds the base may report in its answer to code 9, and the
// blocks each one carries. The table in InstrumentKind.cpp is the one place
// that says so: adding a kind is a row there (and one in the virtual
// instrument, and a page if its sensor block is new).

#include "CodeList.h"
#include "Frame.h"

#include <cstdint>
#include <string>

// One block of an instrument as the tool serves it.
struct KindBlock {
    std::uint8_t block;
    // What is read when its page is opened, the version first; empty for
    // the base, whose page only polls it.
    CodeList opening;
    // Its BlockLayout's name, or nullptr for a block that keeps no settings
    // the tool can read.
    const char *settings;
    // The block as the technician knows it (UTF-8): "ТКС+ПГС водород".
    const char *name;
};

struct InstrumentKind {
    std::uint8_t deviceType;
    const char *model; // model text ahead of the serial number
    // The block polled first after identification, before a page is chosen.
    std::uint8_t firstPoll;
    KindBlock sensor;

    // Every kind carries the base and the pump beside its sensor block.
    static const KindBlock Base;
    static const KindBlock Pump;
};

// nullptr for kinds the tool does not serve.
const InstrumentKind *findInstrumentKind(std::uint8_t deviceType);
inline bool isAcceptedKind(std::uint8_t deviceType) {
    return findInstrumentKind(deviceType) != nullptr;
}
// The block as some kind carries it (the base, the pump or a sensor block);
// nullptr for a block no kind has.
const KindBlock *findKindBlock(std::uint8_t block);

// The base answers 9 with its kind in byte 4 and serial number in bytes 5 and 6.
inline std::uint8_t deviceTypeOf(const Frame &reply) {
    return reply[4];
}
inline std::uint16_t serialNumberOf(const Frame &reply) {
    return word16(reply, 5);
}

// The sensor block by its name ("ТКС", "Кислород"), or "№ 12" for a block no
// kind has (UTF-8).
std::string blockName(std::uint8_t block);
// An instrument by its model and sensor block, "ЗЭ22, блок ТКС+ПГС водород"
// (UTF-8), as records, certificates and the journal name it: several kinds
// share a model.
std::string instrumentName(const std::string &model, std::uint8_t block);

// The instrument as the base page names it, "ЗЭ11.2к   № 12345" (UTF-8);
// only "№ 12345" for a kind the tool does not serve.
std::string modelLine(int deviceType, int serial);
