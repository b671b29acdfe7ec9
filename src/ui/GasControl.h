#pragma once
// What the technician has put on the sensors of the virtual instruments
// (under --simulate): the room's air, clean air, nitrogen, the cylinder with
// its concentration in percent, or the gas of threshold 1 or 2. The control
// knows nothing of the instruments; it hands each choice to the function it
// was given. A concentration that is not a number from 0 to 100 is refused
// under the field, and the gas on the sensors stays as it was.

#include "calibration/CalibrationRules.h"

#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;

class GasControl : public QWidget {
    Q_OBJECT

  public:
    // `percent` is the cylinder's concentration (0 for the other gases).
    using Apply = std::function<void(TestGas gas, double percent)>;

    explicit GasControl(Apply apply, QWidget *parent = nullptr);

    // The gas on the sensors as last applied.
    TestGas gas() const { return applied_; }
    // Chooses `gas` as the technician would (the calibration window asks for
    // one at each step); false, changing nothing, when the cylinder's
    // concentration is refused.
    bool choose(TestGas gas);

  private:
    bool applyChoice();
    // The cylinder's concentration in the field, or nothing with the reason shown.
    std::optional<double> cylinderPercent();

    Apply apply_;
    TestGas applied_ = TestGas::Ambient;
    QComboBox *gasBox_;
    QLineEdit *percentEdit_;
    QLabel *problem_;
};
