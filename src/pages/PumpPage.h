#pragma once
// The pump page: state, coil current and its chart, frequency and amplitude
// steps (the amplitude run repeats until stopped), the position sensor's range,
// set-up mode and saving.

#include "BlockPage.h"

class QGroupBox;
class QPushButton;
class StripChart;

class PumpPage : public BlockPage {
    Q_OBJECT
  public:
    PumpPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent = nullptr);

    // While true, each acknowledged amplitude step is answered by the same step.
    bool AmplitudeRepeat = false;

    QGroupBox *GroupBox5, *GroupBox6, *GroupBox7, *GroupBox8, *GroupBox9, *GroupBox10;
    IndicatorPanel *Panel11, *Panel12, *Panel13, *Panel14, *Panel15, *Panel16, *Panel17;
    IndicatorPanel *Panel18, *Panel19, *Panel20;
    StripChart *Chart2;
    QPushButton *Button8, *Button9, *Button10, *Button11, *Button12, *Button13, *Button17;
    QPushButton *Button18, *Button19, *Button20, *Button21, *Button22;

  public slots:
    void Button18Click();
    void Button19Click();
    void Button20Click();
    void Button22Click();
    void Button21Click();
    void Button13Click();
    void Button17Click();
    void Button9Click();
    void Button8Click();
    void Button11Click();
    void Button10Click();
    void Button12Click();

  protected:
    void decode(const Frame &reply) override;
};
