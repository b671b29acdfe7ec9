#pragma once
// The calibration window of one sensor block: first who calibrates, the
// cylinder and the rules of judgement; then the procedure step by step, each
// with its instruction, the live reading on a chart with the band of the
// steady rule and its countdown, and a button for each choice the step
// offers; at the end the outcome, the record's number and the certificate.
// Modeless: the main window stays usable beside it. Closing it while the
// procedure runs aborts the procedure (the block is reset and the record says
// so).

#include "dialogs/ReleasedWhenHidden.h"

#include "calibration/CalibrationProcedure.h"
#include "export/DialogFileChooser.h"

#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class CalibrationRun;
class CalibrationSetupFields;
class CylinderFields;
class CalibrationContextFields;
class RuleFields;
class FileChooser;
class Messages;
class QAreaSeries;
class QChart;
class QChartView;
class QDateEdit;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QValueAxis;

class CalibrationWindow : public ReleasedWhenHidden<QWidget> {
    Q_OBJECT
  public:
    CalibrationWindow(CalibrationRun &run, Messages &messages, QWidget *parent = nullptr);
    ~CalibrationWindow() override;

    // A new calibration of the block `base` names, with the fields offered
    // from what was used last. Only while the run is not busy.
    void prepare(const CalibrationRecord &base, const QString &recordsPath);
    void setFileChooser(FileChooser &chooser) { chooser_ = &chooser; }
    // The record as kept (its number given), or the reason it was not; one
    // kept on this bench to be sent to the server has number 0 and is known
    // by its bench's id and number until showSent(). `heldBack` says why it
    // stays on this bench and is not sent, `warning` what else went wrong
    // once it was kept; either in red after it.
    void showKept(const CalibrationRecord &record, const QString &error,
                  const QString &heldBack = QString(), const QString &warning = QString());
    // The journal did not take the record (yet): why, and that it is tried
    // again every `retrySeconds`.
    void showUnkept(const CalibrationRecord &record, const QString &error, int retrySeconds);
    // The server took the bench's record `benchNumber` under `serverNumber`.
    void showSent(qint64 benchNumber, qint64 serverNumber);
    // How many of the bench's records wait to be sent to the server.
    void showWaiting(qint64 waiting);
    // The newest record of the instrument was interrupted between set-up
    // mode and the save: offers the reset before anything else.
    void offerRecovery(const CalibrationRecord &interrupted);

    QLabel *instrumentLabel;
    QGroupBox *recoveryGroup;
    QLabel *recoveryLabel;
    QPushButton *recoveryButton;
    QLabel *recordsPathLabel;
    QLabel *outboxLabel;
    QScrollArea *setupArea;
    QGroupBox *setupGroup;
    // Who, where, the cylinders and the rules; the fields below are some
    // of its own.
    std::unique_ptr<CalibrationSetupFields> setupFields;
    QLineEdit *technicianEdit;
    // The laboratory, who approves, the room.
    CalibrationContextFields *context;
    // The cylinder: picked from the register or typed in (its widgets; the
    // ones below are some of them).
    CylinderFields *cylinders;
    // The other gas's cylinder, on the second tab of gasTabs where the block
    // takes one: the oxygen zero's nitrogen, the ПГС threshold-2 gas (the
    // first tab holds the threshold-1 gas then).
    QTabWidget *gasTabs;
    CylinderFields *secondCylinders;
    QLineEdit *cylinderNumberEdit;
    QLineEdit *cylinderGasEdit;
    QLineEdit *cylinderConcentrationEdit;
    QDateEdit *cylinderExpiryEdit;
    // The rules of judgement, with their fields named here too.
    RuleFields *ruleFields;
    QSpinBox *steadySecondsSpin;
    QLineEdit *steadyBandEdit;
    QLineEdit *toleranceEdit;
    QLabel *standLabel;
    QPushButton *startButton;
    // What the calibration is done with, once it has begun.
    QLabel *conditionsLabel;

    QGroupBox *stepGroup;
    QLabel *stepLabel; // "Шаг 3 из 8"
    QLabel *instructionLabel;
    QLabel *readingLabel;
    QLabel *waitLabel;
    // What the block confirmed after each write, a line each.
    QLabel *confirmationsLabel;
    // The reading of the wait under way, its steadiness band and, where the
    // reading is judged, the tolerance shaded (series named "Показание",
    // "Устойчивость", "Допуск").
    QChartView *waitChart;
    std::map<int, QPushButton *> actionButtons; // by CalibrationProcedure::Action
    QTableWidget *measurementsTable;

    QLabel *outcomeLabel;
    QPushButton *certificateButton;
    // Opens the journal of calibrations beside this window.
    QPushButton *journalButton;
    QPushButton *closeButton;

  public slots:
    void startClicked();
    // Resets the block a lost connection left in set-up mode and reads its
    // points back, for a correction of the interrupted record.
    void recoverClicked();
    void saveCertificate();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    // The set-up folds away and the procedure, with what it is done with,
    // takes the window.
    void begin(const QString &conditions, CalibrationProcedure procedure);
    void buildRecovery();
    void buildSetup();
    void buildSteps();
    void refresh();
    void showMeasurements(const CalibrationRecord &record);
    void drawChart();
    QString waitRule(const CalibrationProcedure &p) const;

    CalibrationRun &run_;
    Messages &messages_;
    DialogFileChooser dialog_;
    FileChooser *chooser_ = &dialog_;
    CalibrationRecord base_;
    const CalibrationRules *rules_ = nullptr;
    CalibrationRecord kept_;
    std::optional<CalibrationRecord> interrupted_;
    bool isKept_ = false;
    // The outcome as shown before the line on where the record is.
    QString outcome_;
    // This window's procedure was started since prepare().
    bool started_ = false;
    QChart *chart_;
    QLineSeries *reading_;
    QLineSeries *bandLow_;
    QLineSeries *bandHigh_;
    QLineSeries *toleranceLow_;
    QLineSeries *toleranceHigh_;
    QAreaSeries *tolerance_;
    QValueAxis *axisX_;
    QValueAxis *axisY_;
};
