#pragma once
// The PGS page: the semiconductor gas-sensor block. Its thresholds are set by
// the block itself when "Применить" is pressed and only shown here.

#include "BlockPage.h"

class QGroupBox;
class QLabel;
class QPushButton;
class StripChart;

class PgsPage : public BlockPage {
    Q_OBJECT
  public:
    PgsPage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent = nullptr);

    QGroupBox *GroupBox14, *GroupBox15, *GroupBox16;
    IndicatorPanel *Panel31, *Panel32, *Panel33, *Panel34, *Panel35, *Panel36, *Panel37, *Panel38,
        *Panel39, *Panel40, *Panel41;
    QLabel *Label8, *Label9;
    StripChart *Chart4;
    QPushButton *Button33, *Button34, *Button35, *Button36, *Button37, *Button38, *Button39,
        *Button40, *Button41;

  public slots:
    void Button35Click();
    void Button36Click();
    void Button37Click();
    void Button41Click();
    void Button38Click();
    void Button39Click();
    void Button40Click();
    void Button33Click();
    void Button34Click();

  protected:
    void decode(const Frame &reply) override;
};
