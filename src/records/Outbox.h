#pragma once
// The bench's outbox. When the journal is on a server, each record is kept
// first in the bench's own journal (a SQLite file, where it stays as the
// bench's copy) and sent from there: the bench's records that its `sent`
// table does not name yet, oldest first, through the server's
// RecordStore::add, each then noted in `sent` with the number the server gave
// it. A record sent whose note was lost (a crash, the line) is sent again and
// the server answers with the number it already has, so nothing is lost and
// nothing is kept twice. Records kept before benches had ids stay here, and
// so do those held back (kept in a copy of the journal, or in one put back
// from a backup, under numbers the bench's other copy gives too:
// BenchHistory.h). The records of each id the journal has had are sent.
//
// Works on the connections of the stores given, so in the thread that opened
// them.

#include "calibration/CalibrationRecord.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class RecordStore;

class Outbox {
  public:
    // `bench` is the bench's own journal, open.
    explicit Outbox(RecordStore &bench);

    // How many of the bench's records wait to be sent; nothing when the
    // journal cannot be read (`why` says why).
    std::optional<std::int64_t> waiting(QString *why) const;

    // What one sending did: the records the server took (the bench's number
    // and the server's), how many still wait, and why it stopped short
    // (empty when every record went).
    struct Pass {
        std::vector<std::pair<std::int64_t, std::int64_t>> sent;
        std::int64_t waiting = 0;
        QString error;
    };
    // Sends the waiting records to `server`, oldest first, until one fails.
    Pass send(RecordStore &server);

    // The bench's records as the bench's readers are to see them: those sent
    // under the server's number, the bench's others under none (number 0:
    // known by the bench's id and number), records from before benches as
    // they are.
    std::vector<CalibrationRecord> asSent(std::vector<CalibrationRecord> records) const;

  private:
    // The server's number of each of the bench's records sent, by the
    // bench's id and number.
    using SentNumbers = std::map<std::pair<std::string, std::int64_t>, std::int64_t>;
    std::optional<SentNumbers> sentNumbers(QString *why) const;
    std::optional<std::vector<std::int64_t>> waitingNumbers(QString *why) const;
    // The record as the server is to take it: `corrects` naming the server's number.
    std::optional<CalibrationRecord> outgoing(const CalibrationRecord &r, QString *why) const;
    bool note(const CalibrationRecord &r, std::int64_t serverNumber, QString *why);

    RecordStore &bench_;
};
