#pragma once
// The calibration window's fields for what a certificate states besides the
// gases: the laboratory and its address and who approves the results (kept
// in the preferences from one calibration to the next), and the room's
// temperature, pressure and humidity (typed for each calibration, empty
// until measured: yesterday's would be a guess).

#include "calibration/CalibrationRecord.h"

#include <QString>

#include <optional>

class QFormLayout;
class QLineEdit;
class QWidget;

class CalibrationContextFields {
  public:
    // Adds its rows to `form`, its widgets children of `parent`.
    CalibrationContextFields(QFormLayout *form, QWidget *parent);

    // The preferences' laboratory and approver; the room's fields empty.
    void prepare();
    void remember() const;
    // Puts the fields into `record`; false with the reason in the
    // technician's words, and `record` as it was, when a value typed is not
    // one the room could have.
    bool fill(CalibrationRecord &record, QString *error) const;

    QLineEdit *laboratoryEdit;
    QLineEdit *laboratoryAddressEdit;
    QLineEdit *approvedByEdit;
    QLineEdit *temperatureEdit;
    QLineEdit *pressureEdit;
    QLineEdit *humidityEdit;
};

// A decimal as typed ("21,5", "-3.2") in units of 1/`per` within [low, high]
// (the same units); none for empty text; `ok` false for text that is not
// such a number.
std::optional<int> roomValue(const QString &typed, int per, int low, int high, bool *ok);
