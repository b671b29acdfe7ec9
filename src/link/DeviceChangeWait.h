#pragma once
// The wait after a device arrives or leaves: 351 steps of 20 ms (about seven
// seconds) for the system to settle, with progress, before the list is read
// again. The window stays live meanwhile; a new notice starts the wait over.

#include <QObject>
#include <QTimer>

class DeviceChangeWait : public QObject {
    Q_OBJECT
  public:
    static constexpr int LastStep = 350;
    static constexpr int StepMs = 20;

    explicit DeviceChangeWait(QObject *parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return running_; }
    int position() const { return step_; }

  public slots:
    // One pass of the wait; the timer calls it, tests may too.
    void step();

  signals:
    void progress(int position);
    void finished();

  private:
    QTimer timer_;
    int step_ = 0;
    bool running_ = false;
};
