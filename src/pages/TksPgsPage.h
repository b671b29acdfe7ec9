#pragma once
// The TKS+PGS page: the two-sensor block for methane or propane.

#include "TwoSensorPage.h"

class TksPgsPage : public TwoSensorPage {
    Q_OBJECT
  public:
    TksPgsPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
               QWidget *parent = nullptr);

    QGroupBox *&GroupBox17 = statusGroup, *&GroupBox18 = concentrationGroup,
              *&GroupBox19 = sensor.w.parameters, *&GroupBox20 = semiconductorGroup;
    IndicatorPanel *&Panel45 = sensor.w.power, *&Panel46 = sensor.w.mode,
                   *&Panel47 = sensor.w.settings, *&Panel48 = sensor.w.circuit,
                   *&Panel49 = sensor.w.offAlarm, *&Panel50 = sensor.w.alarm2,
                   *&Panel51 = sensor.w.alarm1, *&Panel42 = version, *&Panel54 = concentration,
                   *&Panel52 = sensor.w.voltage, *&Panel53 = semiconductor.w.voltage,
                   *&Panel56 = semiconductor.w.power, *&Panel57 = semiconductor.w.circuit;
    QLineEdit *&Edit1 = sensor.w.uAir, *&Edit2 = sensor.w.uGas;
    ValueField *&MaskEdit5 = sensor.w.calibrationGas, *&MaskEdit6 = sensor.w.threshold1,
               *&MaskEdit7 = sensor.w.threshold2, *&MaskEdit8 = sensor.w.offThreshold;
    StripChart *&Chart5 = sensor.w.chart, *&Chart6 = semiconductor.w.chart;
    QPushButton *&Button42 = onButton, *&Button43 = offButton, *&Button44 = gasButton,
                *&Button45 = zeroButton, *&Button46 = setUpButton, *&Button54 = resetButton,
                *&Button47 = sensor.w.writeUpper, *&Button48 = sensor.w.writeLower,
                *&Button49 = sensor.w.save, *&Button50 = sensor.w.applyGas,
                *&Button51 = sensor.w.applyAir, *&Button52 = defaultsButton,
                *&Button53 = readButton, *&Button55 = semiconductorOn,
                *&Button56 = semiconductorOff;

  public slots:
    void Button42Click() { sensor.switchOn(); }
    void Button43Click() { sensor.switchOff(); }
    void Button44Click() { sensor.selectGas(); }
    void Button45Click() { sensor.adjustZero(); }
    void Button46Click() { sensor.enterSetUp(); }
    void Button54Click() { sensor.reset(); }
    void Button49Click() { sensor.save(); }
    void Button53Click() { sensor.readParameters(); }
    void Button51Click() { sensor.applyAir(); }
    void Button50Click() { sensor.applyGas(); }
    void Button47Click() { sensor.writeUpper(); }
    void Button48Click() { sensor.writeLower(); }
    void Button52Click() { sensor.fillDefaults(); }
    void Button55Click() { semiconductor.switchOn(); }
    void Button56Click() { semiconductor.switchOff(); }
};
