#pragma once
// "Сроки калибровки": the instruments whose next calibration falls within
// the days asked or is past, and those whose newest calibration failed or was
// interrupted (due now), the most urgent first, as `ze23-cli records due`
// lists them. Overdue and due-now rows are red. A double click on a row asks
// for that instrument's records in the journal window. It only reads: a
// journal not made yet stays unmade.

#include "dialogs/ReleasedWhenHidden.h"

#include "JournalReader.h"

#include <QDate>
#include <QWidget>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class DueWindow : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    explicit DueWindow(QWidget *parent = nullptr);

    // The journal's file or server, and the bench's own journal used while
    // the server does not answer.
    void setRecordsPath(const QString &path, const QString &benchPath);
    JournalReader &reader() { return reader_; }
    // The day the dates are judged against; today unless a test sets another.
    void setToday(const QDate &day) { today_ = day; }

    QSpinBox *daysSpin;
    QPushButton *showButton;
    QTableWidget *dueTable;
    QLabel *statusLabel;

  signals:
    // The records of the instrument of the row double-clicked.
    void recordsRequested(int serial);

  public slots:
    void showDue();

  private:
    void showRead(const JournalReader::Read &read);
    QString where() const;

    QString path_;
    JournalReader reader_;
    QDate today_;
    std::vector<int> serials_;
};
