#pragma once
// "Журнал калибровок": the records of the calibration journal in a table,
// newest first, chosen by serial number, model, days, outcome and
// technician; the selected record's certificate, and what is shown as CSV;
// the history of the selected record's sensor.
// Modeless beside the main window. It only reads: a journal not made yet
// stays unmade.

#include "JournalFilter.h"

#include <QDate>
#include <QWidget>

#include <memory>
#include <vector>

class FileChooser;
class Messages;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class RecordStore;

class JournalWindow : public QWidget {
    Q_OBJECT
  public:
    explicit JournalWindow(Messages &messages, QWidget *parent = nullptr);
    ~JournalWindow() override;

    // The journal's file or server; read again on the next showRecords().
    void setRecordsPath(const QString &path);
    void setFileChooser(FileChooser &chooser) { chooser_ = &chooser; }
    // The day a next due date is judged against (and the range ends on by
    // default); today unless a test sets another.
    void setToday(const QDate &day);
    // The instrument whose records are asked for; 0 for every instrument.
    void setSerial(int serial);

    const std::vector<CalibrationRecord> &shownRecords() const { return shown_; }

    QLineEdit *serialFilter;
    QComboBox *kindFilter;
    QDateEdit *fromDate;
    QDateEdit *toDate;
    QComboBox *outcomeFilter;
    QLineEdit *technicianFilter;
    QPushButton *showButton;
    QTableWidget *recordsTable;
    QPushButton *certificateButton;
    QPushButton *exportButton;
    QPushButton *sensorHistoryButton;
    QLabel *statusLabel;

  signals:
    // "История датчика…": the selected record's instrument.
    void sensorHistoryRequested(int serial);

  public slots:
    // Reads the journal and shows the records the filters let through.
    void showRecords();
    void saveCertificate();
    void exportCsv();

  private:
    QGridLayout *buildFilters();
    // Nothing when the serial field holds no number.
    std::optional<JournalFilter> filter();
    void fillTable(const std::vector<CalibrationRecord> &all);
    // The store, opened on first use; nullptr when the journal is not made
    // yet or cannot be opened (`error` then says why).
    RecordStore *store(QString *error);

    Messages &messages_;
    FileChooser *chooser_ = nullptr;
    QString path_;
    std::unique_ptr<RecordStore> store_;
    QDate today_;
    std::vector<CalibrationRecord> shown_;
};
