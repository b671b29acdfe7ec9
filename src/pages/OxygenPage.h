#pragma once
// The oxygen page: the electrochemical sensor block's state, concentration,
// sensor voltage, temperature and coefficient, version, calibration and
// thresholds, and the eight settings of its LMP91000 front end. A frame trace
// lies under the chart and shows while the circuit picture does.

#include "BlockPage.h"
#include "protocol/OxygenReply.h"

#include <array>

class Messages;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;
class StripChart;
class TraceMemo;
class ValueField;

class OxygenPage : public BlockPage {
    Q_OBJECT
  public:
    OxygenPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
               QWidget *parent = nullptr);

    // The front-end circuit drawing behind "Схема/График".
    void setPicture(const QImage &picture);
    // The eight settings as the radio groups show them.
    FrontEnd::Choices frontEnd() const;

    QGroupBox *LMP91000, *GroupBox27, *GroupBox28;
    IndicatorPanel *Panel79, *Panel80, *Panel81, *Panel82, *Panel83, *Panel84, *Panel85, *Panel86,
        *Panel87, *Panel88, *Panel89, *Panel90;
    RadioGroup *RadioGroup1, *RadioGroup2, *RadioGroup3, *RadioGroup4, *RadioGroup5, *RadioGroup6,
        *RadioGroup7, *RadioGroup8;
    QLineEdit *Edit9, *Edit10;
    ValueField *MaskEdit13, *MaskEdit14, *MaskEdit15, *MaskEdit16;
    StripChart *Chart10;
    QLabel *Image1;
    TraceMemo *Memo2;
    QPushButton *Button74, *Button75, *Button76, *Button77, *Button78, *Button79, *Button80,
        *Button81, *Button82, *Button83, *Button84, *Button85;

  public slots:
    void Button74Click();
    void Button75Click();
    void Button76Click();
    void Button77Click();
    void Button78Click();
    void Button79Click();
    void Button80Click();
    void Button81Click();
    void Button82Click();
    void Button83Click();
    void Button84Click();
    void Button85Click();

  protected:
    void noteReply(const Frame &reply) override;
    // With no sequence pending the poll goes on as 12 and 1 in turn.
    void reloadPoll() override;
    void decode(const Frame &reply) override;

  private:
    void buildFrontEnd();
    void buildSettings();
    void showStatus(const OxygenReply::Status &status);
    void showFrontEnd(const OxygenReply &reply);
    void write(std::uint8_t code, const ValueField *first, const ValueField *second);

    Messages &messages_;
    std::array<RadioGroup *, FrontEnd::SettingCount> settings_{};
};
