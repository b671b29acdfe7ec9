#pragma once
// "Журнал калибровок": the records of the calibration journal in a table,
// newest first, chosen by serial number, model, days, outcome and
// technician; the selected record's certificate, the report of its stand's
// batch, and what is shown as CSV; the history of the selected record's sensor.
// Modeless beside the main window. It only reads: a journal not made yet
// stays unmade. With the journal on a server it reads the server, or the
// bench's own journal while the server does not answer (JournalReader.h), and
// says how many of the bench's records wait to be sent. It shows where the
// journal is; "Изменить…" asks for another place (JournalLocationDialog).

#include "dialogs/ReleasedWhenHidden.h"

#include "JournalFilter.h"
#include "JournalReader.h"
#include "export/DialogFileChooser.h"

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

class JournalWindow : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    explicit JournalWindow(Messages &messages, QWidget *parent = nullptr);
    ~JournalWindow() override;

    // The journal's file or server, and the bench's own journal used while
    // the server does not answer; read again on the next showRecords().
    void setRecordsPath(const QString &path, const QString &benchPath = QString());
    JournalReader &reader() { return reader_; }
    // How many of the bench's records wait to be sent to the server (0: none,
    // or no server).
    void showWaiting(qint64 waiting);
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
    QLineEdit *batchFilter;
    QPushButton *showButton;
    QTableWidget *recordsTable;
    QPushButton *certificateButton;
    // The report of the selected record's stand batch, from the journal.
    QPushButton *batchReportButton;
    QPushButton *exportButton;
    QPushButton *sensorHistoryButton;
    QLabel *statusLabel;
    QLabel *outboxLabel;
    QLabel *recordsLocationLabel;
    QPushButton *recordsLocationButton;

  signals:
    // "История датчика…": the selected record's instrument.
    void sensorHistoryRequested(int serial);

  public slots:
    // Reads the journal and shows the records the filters let through.
    void showRecords();
    void saveCertificate();
    void saveBatchReport();
    void exportCsv();

  signals:
    // "Изменить…": the technician wants the journal elsewhere.
    void locationChangeRequested();

  private:
    QGridLayout *buildFilters();
    // Nothing when the serial field holds no number.
    std::optional<JournalFilter> filter();
    void fillTable(const std::vector<CalibrationRecord> &all);
    void showRead(const JournalFilter &f, const JournalReader::Read &read);
    // The line saying where the journal is.
    QString where() const;

    Messages &messages_;
    DialogFileChooser dialog_;
    FileChooser *chooser_ = &dialog_;
    QString path_;
    JournalReader reader_;
    QDate today_;
    std::vector<CalibrationRecord> shown_;
};
