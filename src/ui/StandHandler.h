#pragma once
// The stand calibration on the program: "Калибровка стенда…" in the
// multiplexer window opens its window for the instrument identified, and
// its records go to the journal as each single calibration's do.

#include <QObject>

class CalibrationHandler;
class FileChooser;
class Messages;
class StandCalibrationWindow;
class TForm1;

class StandHandler : public QObject {
    Q_OBJECT
  public:
    StandHandler(TForm1 &form, Messages &messages, CalibrationHandler &calibration);

    // The window, made when first asked for.
    StandCalibrationWindow *window();
    void setFileChooser(FileChooser &chooser);

  public slots:
    void openWindow();

  private:
    TForm1 &form_;
    Messages &messages_;
    CalibrationHandler &calibration_;
    StandCalibrationWindow *window_ = nullptr;
    FileChooser *chooser_ = nullptr;
    int kept_ = 0;
};
