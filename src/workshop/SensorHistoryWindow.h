#pragma once
// "История датчика": one instrument's calibrations as its sensor came out of
// them: the sensitivity and the zero point over time (the ПГС block: its
// thresholds and their drift), each chart with the rule's limit drawn, the
// points per calibration in a table, and the verdict whether the sensor nears
// the end of its life (SensorHealth.h). Modeless beside the main window; it
// only reads the journal.

#include "dialogs/ReleasedWhenHidden.h"

#include "JournalReader.h"
#include "calibration/SensorHealth.h"

#include <QWidget>

#include <memory>

class QChartView;
class QLabel;
class QTableWidget;

class SensorHistoryWindow : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    explicit SensorHistoryWindow(QWidget *parent = nullptr);
    ~SensorHistoryWindow() override;

    // The journal's file or server, and the bench's own journal read while
    // the server does not answer; read again on the next showSerial().
    void setRecordsPath(const QString &path, const QString &benchPath = QString());
    JournalReader &reader() { return reader_; }
    // Reads the instrument's records and shows its sensor's history.
    void showSerial(int serial);

    int serial() const { return serial_; }
    const SensorHistory &history() const { return history_; }

    QChartView *sensitivityChart;
    QChartView *zeroChart;
    QTableWidget *pointsTable;
    QLabel *sensorHealthLabel;
    QLabel *statusLabel;

  private:
    void showRead(JournalReader::Read read);
    void fillCharts();
    void fillTable(const std::vector<CalibrationRecord> &records);
    void showVerdict();

    QString path_;
    JournalReader reader_;
    int serial_ = 0;
    SensorHistory history_;
};
