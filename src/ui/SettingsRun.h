#pragma once
// A settings session of the whole instrument with the line to itself. While it
// runs, each transmit turn sends the session's frame (or nothing while its
// answer is awaited) instead of the page's, and each good reply goes to the
// session alone: the page decoders would take the session's replies for
// answers to the standing command frame (the frame traces would pair them with
// a command that never went out, and a decoder reloads the page's poll). The
// standing frame, the page's sequence and a write the page keeps aside stay as
// they were, and the page's polling goes on from there once the session ends.
//
// The end is reported from the event loop, not from inside the transmit tick,
// so what follows (a file dialog, a question) does not hold the ticks up. A
// connection that ends drops the session and reports it at once.

#include "protocol/InstrumentSession.h"

#include <QObject>

#include <functional>
#include <optional>

class LinkPort;

class SettingsRun : public QObject {
    Q_OBJECT
  public:
    // `dropped`: the connection ended before the end was reported; the
    // session may be unfinished.
    using Done = std::function<void(const InstrumentSession &session, bool dropped)>;

    explicit SettingsRun(QObject *parent = nullptr);

    // Takes the line from the next transmit turn on. Only while not busy().
    void start(InstrumentSession session, Done done);
    // A session runs, or its end is still to be reported.
    bool busy() const { return running_.has_value() || ended_.has_value(); }

    // The transmit turn: true when the session took it.
    bool transmit(LinkPort &port);
    // A good reply: true when the session took it.
    bool receive(const Frame &reply);
    // The connection ended: the session goes, and is reported as dropped.
    void drop();

  signals:
    void busyChanged(bool busy);

  private:
    void report();

    std::optional<InstrumentSession> running_;
    // Ended, its report queued.
    std::optional<InstrumentSession> ended_;
    Done done_;
    // Counts the drops, so that a report queued before one is not delivered.
    unsigned drops_ = 0;
};
