#pragma once
// "История датчика…" on the base page (for the instrument on the line) and in
// the journal window (for the selected record's instrument) opens the sensor
// history window; on identification the base page's note of the last
// calibration also says when the sensor nears the end of its life.

#include "calibration/CalibrationRecord.h"

#include <QObject>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class Messages;
class QPushButton;
class RecordStore;
class SensorHistoryWindow;
class TForm1;

class SensorHistoryHandler : public QObject {
    Q_OBJECT
  public:
    // `journalPaths` gives the journal in use when the window opens and the
    // bench's own journal read while a server does not answer.
    using JournalPaths = std::function<std::pair<QString, QString>()>;
    SensorHistoryHandler(TForm1 &form, Messages &messages, JournalPaths journalPaths);

    // The window, made when first asked for.
    SensorHistoryWindow *window();
    // While the server does not answer, the window reads the bench's journal.
    void setServerAway(bool away);
    QPushButton *button() const { return button_; }

    // What the base page adds for the sensor of the instrument whose records
    // (oldest first) these are: empty unless it nears the end of its life;
    // `reason` then gets the rule's words.
    static QString endOfLifeNote(const std::vector<CalibrationRecord> &records, QString *reason);

  public slots:
    void open(int serial);

  private:
    TForm1 &form_;
    Messages &messages_;
    JournalPaths journalPaths_;
    SensorHistoryWindow *window_ = nullptr;
    bool serverAway_ = false;
    QPushButton *button_ = nullptr;
};
