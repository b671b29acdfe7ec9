#pragma once
// A calibration record with every field filled, as a thermocatalytic methane
// block would leave after an adjustment: two checks before, two after, each
// with its chart; for the records, certificate and command-line tests.

#include "calibration/CalibrationRecord.h"

#include <cmath>

inline std::vector<ChartPoint> sampleWait(double from, double to, int seconds) {
    std::vector<ChartPoint> chart;
    for (int s = 0; s <= seconds; s += 2)
        chart.push_back({double(s), to + (from - to) * std::exp(-s / 12.0)});
    return chart;
}

inline Measurement sampleMeasurement(Measurement::Phase phase, TestGas gas, std::string point,
                                     int expected, std::optional<int> reading) {
    Measurement m;
    m.phase = phase;
    m.gas = gas;
    m.point = std::move(point);
    m.expected = expected;
    m.tolerance = 10;
    m.reading = reading;
    return m;
}

inline CalibrationRecord sampleRecord(int serial = 23101,
                                      std::string when = "2026-12-08T14:30:05") {
    CalibrationRecord r;
    r.deviceType = 1;
    r.model = "ЗЭ11.2к";
    r.serial = serial;
    r.block = 3;
    r.versions = {{"base", 0x12}, {"pump", 0x23}, {"sensor", 0x14}};
    r.standPosition = 5;
    r.technician = "Петрова А. С.";
    r.when = std::move(when);
    r.cylinder = {"ПГС-0417", "CH4 в воздухе",    250,         "2027-06-30", 5,
                  "воздух",   "ООО «Мониторинг»", "2026-06-30"};
    r.sensorGas = SensorGas::Methane;
    r.perPercent = 100;
    r.steady = {30, 5};
    r.tolerance = 10;
    Measurement air =
        sampleMeasurement(Measurement::Phase::AsFound, TestGas::CleanAir, "Чистый воздух", 0, 3);
    air.secondsToSteady = 41.5;
    air.secondsTo90 = 18.25;
    air.passed = true;
    air.chart = sampleWait(0.40, 0.03, 60);
    Measurement gas = sampleMeasurement(Measurement::Phase::AsFound, TestGas::Cylinder,
                                        "Газ из баллона", 250, 231);
    gas.secondsToSteady = 52;
    gas.secondsTo90 = 24.5;
    gas.acceptedEarly = true;
    gas.chart = sampleWait(0.03, 2.31, 70);
    Measurement airLeft = air;
    airLeft.phase = Measurement::Phase::AsLeft;
    airLeft.reading = -1;
    airLeft.chart = sampleWait(0.20, -0.01, 50);
    Measurement gasLeft = gas;
    gasLeft.phase = Measurement::Phase::AsLeft;
    gasLeft.reading = 248;
    gasLeft.acceptedEarly = false;
    gasLeft.passed = true;
    gasLeft.chart = sampleWait(-0.01, 2.48, 66);
    r.measurements = {air, gas, airLeft, gasLeft};
    r.points = {{"U воздух, мВ", 10, 4123, 4101},
                {"U газ, мВ", 10, 4388, std::nullopt},
                {"Концентрация ПГС, %", 100, 240, 250}};
    r.settingsAfter = {{"threshold1", 50}, {"threshold2", 100}, {"calibrationGas", 250}};
    r.outcome = CalibrationOutcome::Adjusted;
    r.remark = "Датчик отвечал медленно";
    r.nextDue = "2027-12-08";
    r.toolVersion = "1.0";
    return r;
}

// The ПГС block's check: whether the alarms tripped at the threshold gases.
inline Measurement sampleAlarmCheck() {
    Measurement m =
        sampleMeasurement(Measurement::Phase::AsFound, TestGas::Threshold1, "Порог 1", 0, {});
    m.tolerance = 0;
    m.alarmsExpected = 1;
    m.alarmsSeen = 3;
    m.secondsToSteady = 12;
    return m;
}

// The other gases of a calibration with their cylinders, in hundredths of a
// percent: nitrogen for a zero and a threshold-2 gas.
inline std::vector<GasCylinder> sampleGases() {
    return {
        {TestGas::ZeroGas, {"N-5", "азот", 9999, "2027-05-31", 1, "", "ООО «Газы»", "2026-05-31"}},
        {TestGas::Threshold2,
         {"П2-7", "CH4 в воздухе", 100, "2027-04-30", 3, "воздух", "ООО «Мониторинг»",
          "2026-04-30"}}};
}
