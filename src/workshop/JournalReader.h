#pragma once
// What the bench reads of the journal: a file's records; or, with the journal
// on a server, the server's while it answers and, while it does not, those of
// the bench's own journal (where its records are kept first, numbered as the
// outbox has sent them: Outbox::asSent), saying so. It never makes a journal
// by looking (ExistingJournal.h).
//
// A file is read at once, on the caller's thread. A server is read in a
// thread of the reader's own, so that a server that does not answer never
// holds up the window: the answer comes later, on the caller's thread,
// through the function given with the request. While a read is out, one more
// request waits behind it (a newer one takes its place); `waiting()` says a
// read is out, and `slow()` that it has been out so long that the server
// seems not to answer.

#include "calibration/CalibrationRecord.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QThread;
class QTimer;
class RecordStore;

class JournalReader : public QObject {
    Q_OBJECT
  public:
    explicit JournalReader(QObject *parent = nullptr);
    ~JournalReader() override;

    // The journal's file or server, and the bench's own journal used while
    // the server does not answer.
    void setLocation(const QString &location, const QString &bench);
    // The sender found the server away (or answering again): while away, the
    // bench's journal is read without trying the server first.
    void setServerAway(bool away) { away_ = away; }

    // What the bench's own journal is shown with when the server is away.
    static QString serverAwayNote();
    // What a window shows while the server is slow to answer.
    static QString serverSilentNote();

    struct Read {
        std::vector<CalibrationRecord> records;
        bool made = true; // false: no journal there yet
        QString error;    // why nothing could be read
        QString note;     // serverAwayNote() when read from the bench's journal
    };
    using Done = std::function<void(Read)>;

    // Every record, oldest first.
    void list(Done done);
    // One instrument's records, oldest first.
    void of(int serial, Done done);
    // Each instrument's newest record, by serial number.
    void newestOfEach(Done done);

    // A read of the server is out.
    bool waiting() const { return busy_; }
    // What a window says while a read is out: that the server is being read,
    // or, once it has been out long, that the server does not answer.
    QString waitingNote() const;

  signals:
    // A read of the server has been out longer than a server takes to answer
    // (true), or is over (false).
    void slow(bool silent);

  private:
    using Get = std::function<std::vector<CalibrationRecord>(RecordStore &)>;
    struct Stores;
    // A read as it was asked for: where, and what to do with the answer.
    struct Request {
        Get get;
        Done done;
        QString location, bench;
        bool away = false;
    };
    void read(Get get, Done done);
    void startNext();
    // The thread's answer to the read asked, handed to whoever asked.
    void deliver();
    static void setIn(Stores &stores, const QString &location, const QString &bench, bool away);
    // Reads in the stores given: the server's (or a file's) first, then the bench's.
    static Read readIn(Stores &stores, const Get &get);

    QString location_, bench_;
    bool away_ = false;
    // A file's stores, on the caller's thread.
    std::unique_ptr<Stores> local_;
    // A server's: they live in `thread_`, with the reads.
    Stores *remote_ = nullptr;
    QThread *thread_ = nullptr;
    QObject *worker_ = nullptr;
    QTimer *slowTimer_;
    bool busy_ = false, silent_ = false;
    std::unique_ptr<Request> asked_, next_;
};
