#include "CommandSequence.h"

void CommandSequence::queue(const CodeList &codes) {
    std::uint8_t n = 0;
    for (std::uint8_t c : codes) {
        if (n == 4)
            break;
        SequenceCodes[n++] = c;
    }
    SequenceCount = n;
    SequencePosition = 0;
}

std::uint8_t CommandSequence::takeNext() {
    // The position never leaves the table, whatever a caller left in the fields.
    std::uint8_t code = SequenceCodes[SequencePosition % SequenceCodes.size()];
    ++SequencePosition;
    --SequenceCount;
    return code;
}
