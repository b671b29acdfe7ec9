#include "OutboxSender.h"

#include "CylinderSync.h"
#include "Outbox.h"
#include "RecordStore.h"

#include <memory>

// Lives in the sender's thread, and so do its stores.
struct OutboxSender::Worker : QObject {
    Worker(OutboxSender &sender, QString bench, QString server)
        : sender(sender), benchPath(std::move(bench)), serverPath(std::move(server)) {}

    void pass() {
        QString why;
        if (!bench) {
            auto s = std::make_unique<RecordStore>();
            if (!s->open(benchPath, &why))
                return emit sender.passEnded(false, why);
            bench = std::move(s);
        }
        Outbox outbox(*bench);
        const auto waiting = outbox.waiting(&why);
        if (!waiting)
            return emit sender.passEnded(false, why);
        emit sender.counted(*waiting);
        // Opened even with nothing to send: the readers go by whether it answers.
        if (!server) {
            auto s = std::make_unique<RecordStore>();
            if (!s->open(serverPath, &why))
                return emit sender.passEnded(false, why);
            server = std::move(s);
        }
        const QString cylinders = syncCylinders();
        if (*waiting == 0)
            return emit sender.passEnded(true, cylinders);
        const Outbox::Pass done = outbox.send(*server);
        for (const auto &[benchNumber, serverNumber] : done.sent)
            emit sender.recordSent(benchNumber, serverNumber);
        emit sender.counted(done.waiting);
        // The connection may be what failed: the next sending opens a new one.
        if (!done.error.isEmpty())
            server.reset();
        emit sender.passEnded(done.error.isEmpty() || !done.sent.empty(),
                              done.error.isEmpty() ? cylinders : done.error);
    }

    // The bench's register and the server's brought together; what went
    // wrong, if anything.
    QString syncCylinders() {
        const CylinderSync::Pass p = CylinderSync::both(*bench, *server);
        if (!p.error.isEmpty())
            return "Реестр баллонов не сведён с сервером: " + p.error;
        if (!p.differing.isEmpty())
            return "Баллоны " + p.differing.join(", ") +
                   " внесены в реестр здесь и на сервере по-разному";
        return QString();
    }

    OutboxSender &sender;
    const QString benchPath, serverPath;
    std::unique_ptr<RecordStore> bench, server;
};

OutboxSender::OutboxSender(const QString &bench, const QString &server, QObject *parent)
    : QObject(parent), worker_(new Worker(*this, bench, server)) {
    worker_->moveToThread(&thread_);
    thread_.setObjectName("outbox");
    thread_.start();
    retry_.setInterval(30'000);
    connect(&retry_, &QTimer::timeout, this, &OutboxSender::wake);
    retry_.start();
    // The first sending once the event loop runs, so that whoever made the
    // sender hears of it.
    QTimer::singleShot(0, this, &OutboxSender::wake);
}

OutboxSender::~OutboxSender() {
    retry_.stop();
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_] {
            w->server.reset();
            w->bench.reset();
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void OutboxSender::wake() {
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->pass(); }, Qt::QueuedConnection);
}
