#pragma once
// The stand calibration: the positions fitted, toggled in the stand's layout
// (all 32 to begin with), each with an optional label of its sensor (typed,
// or read by a barcode scanner that types and presses Enter); who
// calibrates, the laboratory and the room, and the cylinder from the
// register. Then the stand round by round: the gas asked for, the positions
// still waiting and the time the stage has taken; each position in the
// stand's layout with its latest reading and its state in colour, a click
// showing its own step and chart. The records are kept as each is done,
// under one batch; its report goes to a PDF.

#include "CalibrationRun.h"
#include "dialogs/ReleasedWhenHidden.h"
#include "export/DialogFileChooser.h"

#include <QWidget>

#include <array>
#include <map>
#include <memory>

class CalibrationSetupFields;
class FileChooser;
class Messages;
class QChartView;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

class StandCalibrationWindow : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    StandCalibrationWindow(CalibrationRun &run, Messages &messages, QWidget *parent = nullptr);
    ~StandCalibrationWindow() override;

    // For the instrument `base` names; the setup shown unless a stand runs.
    void prepare(const CalibrationRecord &base);
    void setFileChooser(FileChooser &chooser);
    // How many of the batch's records the journal holds, and how many wait
    // for it (with the reason).
    void showKept(int kept, int waiting, const QString &error);
    // A record of the batch as the journal holds it, for the report.
    void recordKept(const CalibrationRecord &record);
    QString batch() const { return batch_; }

    static constexpr int Positions = 32;
    // Setup.
    std::array<QToolButton *, Positions> fittedButtons{}; // by position, "fittedPosition7"
    QTableWidget *labelsTable;
    // Who, where, the cylinders (the oxygen zero's nitrogen on a second tab)
    // and the rules, as on the desk.
    std::unique_ptr<CalibrationSetupFields> setupFields;
    QPushButton *startButton;
    QWidget *setupArea;
    // The run.
    QWidget *runArea;
    QLabel *stageLabel;
    QLabel *progressLabel;
    // Who, the cylinders, the rules (the stand's steadiness) and the room.
    QLabel *conditionsLabel;
    QPushButton *readyButton;
    QPushButton *abortButton;
    std::array<QPushButton *, Positions> cells{}; // by position, "standCell7"
    QLabel *positionLabel;
    QChartView *positionChart;
    QLabel *keptLabel;
    QPushButton *reportButton;
    // Back to the setup for the next batch, once this one is done.
    QPushButton *newBatchButton;

  signals:
    // The stand calibration began under `batch`.
    void started(const QString &batch);

  private:
    void buildSetup();
    void buildRun();
    void showSetup();
    void fittedChanged();
    void startClicked();
    void refresh();
    void showPosition(int position);
    void saveReport();

    CalibrationRun &run_;
    Messages &messages_;
    FileChooser *chooser_ = &dialog_;
    CalibrationRecord base_;
    QString batch_;
    int shownPosition_ = 0;
    std::map<int, CalibrationRecord> kept_; // by position
    DialogFileChooser dialog_;
};
