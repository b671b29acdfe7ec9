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

    DueWindow *dueWindow() const { return due_; }
    CylinderRegisterWindow *cylinderWindow() const { return cylinders_; }
    JournalLocationDialog *locationDialog() const { return location_; }

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
    CalibrationHandler &calibration_;
    DueWindow *due_;
    CylinderRegisterWindow *cylinders_;
    JournalLocationDialog *location_;
};
