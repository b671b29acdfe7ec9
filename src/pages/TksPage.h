#pragma once
// The TKS page: the thermocatalytic sensor block on its own. Single codes go
// straight into the frame; the gas is methane or propane.

#include "BlockPage.h"
#include "CatalyticSensor.h"

class Messages;
class QGroupBox;
class QLineEdit;
class QPushButton;
class StripChart;

class TksPage : public BlockPage {
    Q_OBJECT
  public:
    TksPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
            QWidget *parent = nullptr);

    CatalyticSensor sensor;

    QGroupBox *GroupBox11, *GroupBox13;
    QGroupBox *&GroupBox12 = sensor.w.parameters;
    IndicatorPanel *&Panel21 = sensor.w.power, *&Panel22 = sensor.w.mode,
                   *&Panel23 = sensor.w.settings, *&Panel24 = sensor.w.circuit,
                   *&Panel25 = sensor.w.offAlarm, *&Panel26 = sensor.w.alarm2,
                   *&Panel27 = sensor.w.alarm1;
    IndicatorPanel *Panel28, *Panel29;
    QLineEdit *Edit7;
    QLineEdit *&Edit5 = sensor.w.uAir, *&Edit6 = sensor.w.uGas;
    ValueField *&MaskEdit1 = sensor.w.calibrationGas, *&MaskEdit2 = sensor.w.threshold1,
               *&MaskEdit3 = sensor.w.threshold2, *&MaskEdit4 = sensor.w.offThreshold;
    StripChart *Chart3;
    QPushButton *Button14, *Button15, *Button16, *Button23, *Button24, *Button26, *Button28,
        *Button29;
    QPushButton *&Button25 = sensor.w.save, *&Button27 = sensor.w.writeUpper,
                *&Button30 = sensor.w.applyAir, *&Button31 = sensor.w.applyGas,
                *&Button32 = sensor.w.writeLower;

  public slots:
    void Button14Click() { sensor.switchOn(); }
    void Button15Click() { sensor.switchOff(); }
    void Button16Click() { sensor.enterSetUp(); }
    void Button23Click() { sensor.selectGas(); }
    void Button26Click() { sensor.adjustZero(); }
    void Button24Click() { sensor.reset(); }
    void Button25Click() { sensor.save(); }
    void Button28Click() { sensor.readParameters(); }
    void Button30Click() { sensor.applyAir(); }
    void Button31Click() { sensor.applyGas(); }
    void Button27Click() { sensor.writeUpper(); }
    void Button32Click() { sensor.writeLower(); }
    void Button29Click() { sensor.fillDefaults(); }

  protected:
    void decode(const Frame &reply) override { sensor.decode(reply); }
};
