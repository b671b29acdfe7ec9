#pragma once
// Sends the bench's outbox (Outbox.h) to the server in a thread of its own,
// so that a server that is slow or away never holds up the window: woken
// after each record kept, and again every so often while records wait. The
// thread opens its own connections to the bench's journal and the server (Qt
// SQL's connections belong to the thread that made them) and opens the
// server's again after a failure.

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

class OutboxWorker;

class OutboxSender : public QObject {
    Q_OBJECT
  public:
    // `bench` is the bench's own journal (a file), `server` the journal's server.
    OutboxSender(const QString &bench, const QString &server, QObject *parent = nullptr);
    // Does not wait for a sending under way (see the source).
    ~OutboxSender() override;

  public slots:
    // Sends what waits now (in the sender's thread; returns at once).
    void wake();

  signals:
    // How many of the bench's records wait, told before each sending and after it.
    void counted(qint64 waiting);
    // The server took the bench's record `benchNumber` as its `serverNumber`.
    void recordSent(qint64 benchNumber, qint64 serverNumber);
    // A sending is over: whether the server answered, and why records still
    // wait (empty when none does).
    void passEnded(bool answered, const QString &error);

  private:
    QThread *thread_;
    OutboxWorker *worker_;
    QTimer retry_;
};
