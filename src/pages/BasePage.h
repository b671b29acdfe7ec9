#pragma once
// The base unit's page: model and serial number, state and link indicators,
// battery voltage as a number and a strip chart, and the base commands.

#include "BlockPage.h"

class QGroupBox;
class QLabel;
class QPushButton;
class StripChart;

class BasePage : public BlockPage {
    Q_OBJECT
  public:
    BasePage(ExchangeCycle &exchange, QTimer &transmitTimer, QWidget *parent = nullptr);

    // The base section departs from the common start: it reloads its poll on
    // a reply of any block, and notices the off command having gone out.
    void decodeReply() override;

    QGroupBox *GroupBox4;
    QLabel *Panel2;
    QGroupBox *GroupBox1;
    IndicatorPanel *Panel3, *Panel4, *Panel5, *Panel6, *Panel7;
    QGroupBox *GroupBox2;
    IndicatorPanel *Panel8, *Panel9;
    QGroupBox *GroupBox3;
    IndicatorPanel *Panel10;
    StripChart *Chart1;
    QPushButton *Button2, *Button3, *Button4, *Button5, *Button6, *Button7;
    QPushButton *Button72;

  public slots:
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

  signals:
    // The base answered after the off command went out: the connection ends.
    void offAcknowledged();

  protected:
    void decode(const Frame &reply) override;
};
