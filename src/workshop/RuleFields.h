#pragma once
// The rules of judgement a calibration window asks for: how long a reading
// must hold and within what change to count as steady, and the tolerance,
// each remembered per block from one calibration to the next. The ПГС block
// is judged by its alarms: its band and tolerance are its rules' own.

#include "calibration/CalibrationRecord.h"

#include <QString>

#include <optional>

class QFormLayout;
class QLineEdit;
class QSpinBox;
class QWidget;

class RuleFields {
  public:
    // Adds its rows to `form`, its widgets children of `parent`.
    RuleFields(QFormLayout *form, QWidget *parent);

    // For a calibration of the block `base` names: the values used last for
    // it, or its rules'.
    void prepare(const CalibrationRecord &base);
    void remember() const;

    struct Chosen {
        SteadyRule rule;
        int tolerance = 0; // the block's units
    };
    // Nothing, with the reason in the technician's words, for a band or a
    // tolerance that is not a number of percent above 0.
    std::optional<Chosen> chosen(QString *error) const;

    QSpinBox *steadySecondsSpin;
    QLineEdit *steadyBandEdit;
    QLineEdit *toleranceEdit;

  private:
    std::optional<int> percentField(const QLineEdit *field) const;
    QString percentText(int units) const;

    CalibrationRecord base_;
};
