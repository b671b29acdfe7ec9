#pragma once
// The optical methane page: the sensor's state, three thresholds and the
// block's link to its optical module, the concentration, the detector signal
// and its chart, the version, and a trace of every frame exchanged.

#include "BlockPage.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class StripChart;
class TraceMemo;

class OpticalPage : public BlockPage {
    Q_OBJECT
  public:
    OpticalPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent = nullptr);

    QGroupBox *GroupBox25, *GroupBox26;
    IndicatorPanel *Panel70, *Panel71, *Panel72, *Panel73, *Panel74, *Panel75, *Panel76, *Panel77,
        *Panel78;
    QLineEdit *Edit8;
    StripChart *Chart9;
    TraceMemo *Memo1;
    QPushButton *Button71, *Button73;

  public slots:
    void Button71Click();
    void Button73Click();

  protected:
    void noteReply(const Frame &reply) override;
    // A running sequence is left to the transmit tick.
    void reloadPoll() override;
    void decode(const Frame &reply) override;
};
