#pragma once
// The workshop's work without an instrument on the line, from the device
// list page: where the journal is (changed only through its dialog), the
// journal of calibrations, the instruments whose calibration falls due, and
// the register of cylinders. The journal window's "Изменить…" goes through
// the same dialog.

#include <QObject>

class CalibrationHandler;
class CylinderRegisterWindow;
class DueWindow;
class JournalLocationDialog;
class Messages;
class QLabel;
class QPushButton;
class TForm1;

class WorkshopHandler : public QObject {
    Q_OBJECT
  public:
    WorkshopHandler(TForm1 &form, Messages &messages, CalibrationHandler &calibration);

    // Each window made when first asked for.
    DueWindow *dueWindow();
    CylinderRegisterWindow *cylinderWindow();
    JournalLocationDialog *locationDialog();

    QLabel *journalLocationLabel;
    QPushButton *journalLocationButton;
    QPushButton *journalButton;
    QPushButton *dueButton;
    QPushButton *cylindersButton;

  public slots:
    void openDue();
    void openCylinders();

  private:
    void showLocation();
    void locationChosen(const QString &location);

    TForm1 &form_;
    Messages &messages_;
    CalibrationHandler &calibration_;
    DueWindow *due_ = nullptr;
    CylinderRegisterWindow *cylinders_ = nullptr;
    JournalLocationDialog *location_ = nullptr;
    // The server did not answer the outbox's sender last time.
    bool serverAway_ = false;
};
