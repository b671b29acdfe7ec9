#pragma once
// "Калибровка…" on each sensor page: opens the calibration window for the
// instrument on the line, gives the procedure the line through the window's
// CalibrationRun, greys the page's own command buttons while it runs, and
// keeps each record in the calibration journal once the procedure is over
// (an interrupted one too). On identification the base page says when the
// instrument was last calibrated, with what outcome, and when it is next due;
// "Журнал калибровок…" there and "Журнал…" in the calibration window open the
// journal window, and "История датчика…" the sensor's history (which also
// adds to the base page when the sensor nears the end of its life).

#include "calibration/CalibrationRecord.h"
#include "workshop/CylinderFields.h"
#include "workshop/JournalReader.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

class CalibrationRun;
class CalibrationWindow;
class FileChooser;
class GasControl;
class JournalWindow;
class Messages;
class OutboxSender;
class QLabel;
class QPushButton;
class QTimer;
class RecordStore;
class SensorHistoryHandler;
class TForm1;

class CalibrationHandler : public QObject {
    Q_OBJECT
  public:
    CalibrationHandler(TForm1 &form, Messages &messages, CalibrationRun &run);
    ~CalibrationHandler() override;

    // The journal's file; the default one in the user's data folder unless
    // the program was given another.
    void setRecordsPath(const QString &path);
    QString recordsPath() const { return path_; }
    // With the journal on a server, the bench's own journal where each record
    // is kept first and sent from (the default file unless another is given).
    void setOutboxPath(const QString &path);
    QString outboxPath() const { return outboxPath_; }
    // Sends the bench's records to the server; nullptr when the journal is a file.
    OutboxSender *outbox() const { return sender_.get(); }
    // The store that holds the register of cylinders (the bench's own with
    // the journal on a server), opened on first use and made only when asked.
    CylinderFields::StoreAccess registerAccess();
    void setFileChooser(FileChooser &chooser);
    // Under --simulate: the control of the gas on the virtual sensors, which
    // then follows each new step's gas (the technician may still change it).
    void setGasControl(GasControl *control);
    // The calibration and journal windows, each made when first asked for.
    CalibrationWindow *window();
    JournalWindow *journal();
    bool journalShown() const;
    SensorHistoryHandler *sensorHistory() const { return history_; }
    CalibrationRun &run() const { return run_; }
    // While `busy`, the command buttons of the block page `page` wait (a
    // calibration has the line); they are given back when it is not.
    void holdPage(int page, bool busy);
    // The record a calibration of the identified instrument's sensor block
    // starts from; nothing, with the reason, when there is none to calibrate.
    std::optional<CalibrationRecord> instrumentBase(QString *why) const;
    QLabel *lastCalibrationLabel() const { return last_; }

  signals:
    // "Изменить…" in the journal window: where the journal is kept.
    void journalLocationAsked();
    // The journal is elsewhere now.
    void recordsPathChanged(const QString &path);
    // The outbox's sender reached the server, or found it away.
    void serverAnswered(bool answered);
    // A stand's record was kept, or the journal did not take it now (tried
    // again in a few seconds); `waiting` records wait after it.
    void batchRecordKept(const CalibrationRecord &record, int waiting);
    void batchRecordWaiting(const CalibrationRecord &record, const QString &error, int waiting);

  public slots:
    void openWindow(int page);
    // The instrument was identified: its last record on the base page.
    void showLastCalibration();
    // A finished record, kept in the journal now or as soon as it takes it.
    void keep(const CalibrationRecord &record);
    // The journal window on the journal in use; `serial` (when not 0) is the
    // instrument it asks for.
    void openJournal(int serial);

  private:
    void showLastCalibration(const JournalReader::Read &read);
    void addButtons();
    void setBusy(bool busy);
    void keepWaiting();
    // At the end: records still not kept go into a journal beside the one.
    void keepAside();
    // The journal records are kept in (the bench's own with the journal on a
    // server), opened on first use; nullptr with the reason reported.
    RecordStore *store(QString *error);
    // The sender of the bench's records, when the journal is on a server.
    void startOutbox();
    // How many records wait to be sent, in the windows made.
    void showWaiting(qint64 waiting);
    // Once for each journal opened: a bench's journal that is a copy of
    // another computer's, or was put back from a backup, is said so, and a
    // new bench id offered for what comes next.
    void checkBench();

    TForm1 &form_;
    Messages &messages_;
    CalibrationRun &run_;
    QString path_;
    QString outboxPath_;
    std::unique_ptr<RecordStore> store_;
    bool benchChecked_ = false;
    JournalReader reader_;
    std::unique_ptr<OutboxSender> sender_;
    CalibrationWindow *window_ = nullptr;
    JournalWindow *journal_ = nullptr;
    // What the windows show once made: the file chooser put in place of each
    // window's own file dialog (none: each keeps its own), the records waiting
    // to be sent, the sender's last error, whether the server is away.
    FileChooser *chooser_ = nullptr;
    qint64 outboxWaiting_ = 0;
    QString sendError_;
    bool serverAway_ = false;
    SensorHistoryHandler *history_ = nullptr;
    GasControl *gasControl_ = nullptr;
    std::string followedStep_;
    QLabel *last_ = nullptr;
    // The instrument's newest record, when its connection was lost between
    // set-up mode and the save: the calibration window offers the reset.
    std::optional<CalibrationRecord> recovery_;
    // Finished records the journal has not taken yet, oldest first.
    std::deque<CalibrationRecord> unkept_;
    QTimer *retryKeep_ = nullptr;
    std::vector<QPushButton *> buttons_;
    // The page whose command buttons wait for the procedure.
    int busyPage_ = -1;
    std::vector<QPushButton *> waiting_;
};
