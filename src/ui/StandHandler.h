#pragma once
// The stand calibration on the program: "Калибровка стенда…" in the
// multiplexer window opens its window for the instrument identified, and
// its records go to the journal as each single calibration's do.

#include "export/DialogFileChooser.h"

#include <QObject>

class CalibrationHandler;
class FileChooser;
class GasControl;
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
    // Under --simulate: the control of the gas on the virtual stand, which
    // then turns to each gas the stand asks for (the technician still says
    // when it is on).
    void setGasControl(GasControl *control);

  public slots:
    void openWindow();

  private:
    TForm1 &form_;
    Messages &messages_;
    CalibrationHandler &calibration_;
    StandCalibrationWindow *window_ = nullptr;
    // The window's file chooser, the real dialog unless another is put in
    // its place.
    DialogFileChooser dialog_;
    FileChooser *chooser_ = &dialog_;
    int kept_ = 0;
    GasControl *gasControl_ = nullptr;
    int followedStage_ = -1;
};
