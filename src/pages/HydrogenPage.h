#pragma once
// The hydrogen page: the two-sensor block set up for hydrogen. No gas choice,
// and fixed defaults.

#include "TwoSensorPage.h"

class HydrogenPage : public TwoSensorPage {
    Q_OBJECT
  public:
    HydrogenPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                 QWidget *parent = nullptr);

    QGroupBox *&GroupBox21 = statusGroup, *&GroupBox22 = concentrationGroup,
              *&GroupBox24 = sensor.w.parameters, *&GroupBox23 = semiconductorGroup;
    IndicatorPanel *&Panel44 = sensor.w.power, *&Panel55 = sensor.w.mode,
                   *&Panel58 = sensor.w.settings, *&Panel59 = sensor.w.circuit,
                   *&Panel60 = sensor.w.offAlarm, *&Panel61 = sensor.w.alarm2,
                   *&Panel62 = sensor.w.alarm1, *&Panel63 = version, *&Panel64 = concentration,
                   *&Panel65 = sensor.w.voltage, *&Panel66 = semiconductor.w.voltage,
                   *&Panel67 = semiconductor.w.power, *&Panel68 = semiconductor.w.circuit;
    QLineEdit *&Edit3 = sensor.w.uAir, *&Edit4 = sensor.w.uGas;
    ValueField *&MaskEdit9 = sensor.w.calibrationGas, *&MaskEdit10 = sensor.w.threshold1,
               *&MaskEdit11 = sensor.w.threshold2, *&MaskEdit12 = sensor.w.offThreshold;
    StripChart *&Chart7 = sensor.w.chart, *&Chart8 = semiconductor.w.chart;
    QPushButton *&Button69 = onButton, *&Button70 = offButton, *&Button68 = zeroButton,
                *&Button67 = setUpButton, *&Button57 = resetButton,
                *&Button60 = sensor.w.writeUpper, *&Button61 = sensor.w.writeLower,
                *&Button62 = sensor.w.save, *&Button63 = sensor.w.applyGas,
                *&Button64 = sensor.w.applyAir, *&Button66 = defaultsButton,
                *&Button65 = readButton, *&Button58 = semiconductorOn,
                *&Button59 = semiconductorOff;

  public slots:
    void Button69Click() { sensor.switchOn(); }
    void Button70Click() { sensor.switchOff(); }
    void Button68Click() { sensor.adjustZero(); }
    void Button67Click() { sensor.enterSetUp(); }
    void Button57Click() { sensor.reset(); }
    void Button62Click() { sensor.save(); }
    void Button65Click() { sensor.readParameters(); }
    void Button64Click() { sensor.applyAir(); }
    void Button63Click() { sensor.applyGas(); }
    void Button60Click() { sensor.writeUpper(); }
    void Button61Click() { sensor.writeLower(); }
    void Button66Click() { sensor.fillDefaults(); }
    void Button58Click() { semiconductor.switchOn(); }
    void Button59Click() { semiconductor.switchOff(); }
};
