#pragma once
// What the bench reads of the journal: a file's records; or, with the journal
// on a server, the server's while it answers and, while it does not, those of
// the bench's own journal (where its records are kept first, numbered as the
// outbox has sent them: Outbox::asSent), saying so. It never makes a journal
// by looking (ExistingJournal.h).

#include "protocol/CalibrationRecord.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class RecordStore;

class JournalReader {
  public:
    JournalReader();
    ~JournalReader();

    // The journal's file or server, and the bench's own journal used while
    // the server does not answer.
    void setLocation(const QString &location, const QString &bench);
    // The sender found the server away (or answering again): while away, the
    // bench's journal is read without trying the server first.
    void setServerAway(bool away) { away_ = away; }

    // What the bench's own journal is shown with when the server is away.
    static QString serverAwayNote();

    struct Read {
        std::vector<CalibrationRecord> records;
        bool made = true; // false: no journal there yet
        QString error;    // why nothing could be read
        QString note;     // serverAwayNote() when read from the bench's journal
    };
    // Every record, oldest first.
    Read list();
    // One instrument's records, oldest first.
    Read of(int serial);
    // Each instrument's newest record, by serial number.
    Read newestOfEach();
    // The newest record of an instrument (none or one).
    Read last(int serial);
    // The journal the last read came from; nullptr when it read none.
    RecordStore *store() const { return lastStore_; }

  private:
    using Get = std::function<std::vector<CalibrationRecord>(RecordStore &)>;
    Read read(const Get &get);

    QString location_, bench_;
    bool away_ = false;
    std::unique_ptr<RecordStore> journal_, benchJournal_;
    RecordStore *lastStore_ = nullptr;
};
