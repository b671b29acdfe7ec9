#pragma once
// A record's values as the certificate and the command line write them for
// the technician: percent with a decimal comma ("2,50 %"), dates as
// DD.MM.YYYY, phases and verdicts in words.

#include "calibration/CalibrationRecord.h"
#include "calibration/CylinderFit.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace RecordTexts {
// A value in units of 1/`per` as a number with as many decimals as `per`
// has zeros (100: "2,50"); "—" for none. With a comma, as the certificate
// writes it, or with the decimal point of `numbers`, as a window does.
QString scaled(std::optional<int> value, int per);
QString scaled(std::optional<int> value, int per, const QLocale &numbers);
// The same with " %" after it (a space that does not break); `signedValue` puts "+" before a
// positive one.
QString percent(std::optional<int> value, int perPercent, bool signedValue = false);
// Seconds with one decimal ("41,5"); "—" for none.
QString seconds(std::optional<double> value);
// "2026-12-08" as "08.12.2026", "2026-12-08T14:30:05" as "08.12.2026 14:30:05";
// anything else as it is.
QString date(const std::string &isoDate);
QString dateTime(const std::string &isoDateTime);

QString phase(Measurement::Phase phase); // "до настройки", "после настройки"
QString verdict(bool passed);            // "в допуске", "вне допуска"
// Alarm bits as "П1, П3"; "нет" for none.
QString alarms(std::optional<int> bits);
// The sensor block by its number ("ТКС", "Кислород"), or its number.
QString blockName(int block);
// The instrument by its model and sensor block: "ЗЭ22, блок ТКС+ПГС водород".
QString instrument(const CalibrationRecord &r);
// "ЗЭ22, блок ТКС+ПГС водород, № 23101"
QString instrumentWithSerial(const CalibrationRecord &r);
// A block's version key ("base", "pump", "sensor") in words.
QString versionName(const std::string &key);
// The steady rule the record was judged by: "за 30 с изменение менее 0,05 %",
// or for alarms judged by threshold gases "сигнализация не меняется 10 с".
QString steadyRule(const CalibrationRecord &r);
// The tolerance: "± 0,20 %", or how the alarms are judged.
QString tolerance(const CalibrationRecord &r);
// The gas the span was checked in: the cylinder (number, gas, concentration,
// expiry), or air where the block is spanned in air without one.
QString cylinder(const CalibrationRecord &r);
// What a gas of the calibration was for: "Баллон" (the span), "Газ порога
// 1" where the ПГС record names its threshold gases apart, "Газ порога 2",
// "Нулевой газ".
QString gasRole(const CalibrationRecord &r, TestGas gas);
// One of the other gases' cylinders whole: "№ N-5, азот, 99,99 % ± 0,01 %,
// газ-основа —, поставщик ..., паспорт от 30.06.2026, годен до 30.06.2027".
QString gasCylinder(const GasCylinder &g);
// The cylinder's columns in a table of records, and a record's values in
// them (empty where the record has none), decimals as `numbers` writes them.
QStringList cylinderHeadings();
QStringList cylinderCells(const CalibrationRecord &r, const QLocale &numbers);
// A registered cylinder as the register lists it: number, gas, the gas it is
// for, concentration ± uncertainty, balance, supplier, certificate date,
// expiry.
QStringList registeredCylinder(const RegisteredCylinder &c);
// A version byte: high nibble major, low nibble minor (0x14: "1.4").
QString version(int byte);
// A setting the block keeps, by its name in a snapshot, with its value in
// percent where it is a concentration ("Порог 1: 0,50 %"); perPercent 0 for a
// value in the block's raw units (the ПГС thresholds).
QString setting(const std::string &key, int value, int perPercent);
// The number a record goes by: the journal's ("12"), or for a bench's record
// no journal has numbered for everyone yet (number 0), the bench's id and its
// own number ("a1b2c3d4e5f6-7"), which no other bench's record carries.
QString recordNumber(const CalibrationRecord &r);
// Who calibrated as typed, and on a server the login that kept the record:
// "Иванов И. И. (вход ze23_bench)".
QString technician(const CalibrationRecord &r);
// The room: "21,5 °C; 101,3 кПа; 45 %", what was not measured as "—";
// "не измерялись" when nothing was.
QString ambient(const Ambient &a);
// The expanded uncertainty (k = 2) of an as-left reading as "± 0,021 %",
// rounded up to one decimal more than the block has; "—" when it cannot be
// stated.
QString uncertainty(const CalibrationRecord &r, const Measurement &m);
// A count with its noun in the form the number takes: `one` after 1, 21,
// ...; `few` after 2 to 4, 22, ...; `many` otherwise ("5 баллонов").
QString counted(long long n, const char *one, const char *few, const char *many);
// A count of records in words: "1 запись", "3 записи", "5 записей".
QString recordCount(long long n);
} // namespace RecordTexts
