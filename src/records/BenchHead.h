#pragma once
// A bench's chain head, kept on this computer outside the bench's journal:
// how many of the bench's records the journal held up to its newest, that
// record's number (the bench's own) and its hash, written after each record
// kept. The journal cannot rewrite it along with itself, so that its newest
// records taken out (the triggers that refuse it dropped, with sqlite3 by
// hand, say) or the whole journal put back from a backup show, and the bench
// never gives a removed record's number again.
//
// One small file a bench, "<bench id>.head", in a folder of its own beside
// the journal (not in it): "benches" in the program's data folder. Readable
// by its owner alone (0600 in a 0700 folder), JSON, written whole or not at
// all and read back.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

struct BenchHead {
    std::string bench;
    // The bench's records in the journal with numbers up to `last`.
    std::int64_t records = 0;
    std::int64_t last = 0;
    std::string hash;
    bool operator==(const BenchHead &) const = default;
};

namespace BenchHeads {
// "benches" in the program's folder of the user's data, beside records.sqlite.
QString defaultFolder();
// The head file of `bench` in `folder`; empty for an id that is not twelve
// hex digits (a journal made by hand), which gets no file.
QString pathOf(const QString &folder, const std::string &bench);
// The bench's head: nothing with `why` empty when none is kept yet, nothing
// with `why` saying so when the file cannot be read or holds no head.
std::optional<BenchHead> read(const QString &folder, const std::string &bench, QString *why);
// Writes it whole or not at all and reads it back; false with the reason.
bool write(const QString &folder, const BenchHead &head, QString *why);

// A bench's records as a journal holds them, up to a head's number.
struct Held {
    // How many, and the highest number (0: none).
    std::int64_t records = 0;
    std::int64_t highest = 0;
    // The hash of the record under the head's number, when the journal has it.
    std::optional<std::string> hashAtLast;
};
// What the journal lacks against the head, in the technician's words ("Из
// журнала удалены записи рабочего места … с № 3 по № 4 по его счёту");
// empty when it lacks nothing.
QString shortfall(const BenchHead &head, const Held &journal);
} // namespace BenchHeads
