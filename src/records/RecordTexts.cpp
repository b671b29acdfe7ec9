#include "RecordTexts.h"

#include "calibration/CalibrationUncertainty.h"
#include "protocol/InstrumentKind.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
int decimalsOf(int per) {
    int decimals = 0;
    for (int p = per; p >= 10 && p % 10 == 0; p /= 10)
        ++decimals;
    return decimals;
}

QString scaledWith(std::optional<int> value, int per, const QString &decimalPoint) {
    if (!value)
        return "—";
    if (per <= 1)
        return QString::number(*value);
    const int decimals = decimalsOf(per);
    const int whole = std::abs(*value) / per, fraction = std::abs(*value) % per;
    QString text = QString::number(whole);
    if (decimals > 0)
        text += decimalPoint + QString::number(fraction).rightJustified(decimals, '0');
    else if (fraction != 0)
        text = QString::number(double(std::abs(*value)) / per, 'f', 2).replace('.', decimalPoint);
    return (*value < 0 ? "-" : "") + text;
}
} // namespace

QString RecordTexts::scaled(std::optional<int> value, int per) {
    return scaledWith(value, per, QStringLiteral(","));
}

QString RecordTexts::scaled(std::optional<int> value, int per, const QLocale &numbers) {
    return scaledWith(value, per, numbers.decimalPoint());
}

QString RecordTexts::percent(std::optional<int> value, int perPercent, bool signedValue) {
    if (!value)
        return "—";
    return (signedValue && *value > 0 ? "+" : "") + scaled(value, perPercent) + "\u00a0%";
}

QString RecordTexts::seconds(std::optional<double> value) {
    if (!value)
        return "—";
    return QString::number(*value, 'f', 1).replace('.', ',');
}

QString RecordTexts::date(const std::string &isoDate) {
    const QString text = QString::fromStdString(isoDate);
    const QDate d = QDate::fromString(text, Qt::ISODate);
    return d.isValid() ? d.toString("dd.MM.yyyy") : text;
}

QString RecordTexts::dateTime(const std::string &isoDateTime) {
    const QString text = QString::fromStdString(isoDateTime);
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    return t.isValid() ? t.toString("dd.MM.yyyy HH:mm:ss") : date(isoDateTime);
}

QString RecordTexts::phase(Measurement::Phase phase) {
    return phase == Measurement::Phase::AsFound ? "до настройки" : "после настройки";
}

QString RecordTexts::verdict(bool passed) {
    return passed ? "в допуске" : "вне допуска";
}

QString RecordTexts::alarms(std::optional<int> bits) {
    if (!bits)
        return "—";
    QStringList tripped;
    for (int i = 0; i < 3; ++i)
        if (*bits & (1 << i))
            tripped << "П" + QString::number(i + 1);
    return tripped.isEmpty() ? "нет" : tripped.join(", ");
}

QString RecordTexts::blockName(int block) {
    return QString::fromStdString(::blockName(std::uint8_t(block)));
}

QString RecordTexts::instrument(const CalibrationRecord &r) {
    return QString::fromStdString(instrumentName(r.model, r.block));
}

QString RecordTexts::instrumentWithSerial(const CalibrationRecord &r) {
    return instrument(r) + ", № " + QString::number(r.serial);
}

QString RecordTexts::versionName(const std::string &key) {
    if (key == "base")
        return "базовый блок";
    if (key == "pump")
        return "насос";
    if (key == "sensor")
        return "блок датчика";
    return QString::fromStdString(key);
}

QString RecordTexts::version(int byte) {
    return QString("%1.%2").arg((byte >> 4) & 0x0F).arg(byte & 0x0F);
}

QString RecordTexts::setting(const std::string &key, int value, int perPercent) {
    static const std::pair<const char *, const char *> Names[] = {
        {"calibrationGas", "Калибровочный газ"},
        {"threshold1", "Порог 1"},
        {"threshold2", "Порог 2"},
        {"threshold3", "Порог 3"},
        {"offThreshold", "Порог отключения"},
    };
    for (const auto &[k, name] : Names)
        if (key == k)
            return QString::fromUtf8(name) + ": " +
                   (perPercent > 0 ? percent(value, perPercent) : QString::number(value));
    return QString::fromStdString(key) + ": " + QString::number(value);
}

namespace {
bool judgedByAlarms(const CalibrationRecord &r) {
    const CalibrationRules *rules = findCalibrationRules(r.block);
    return rules && rules->style == CalibrationStyle::Thresholds;
}
} // namespace

QString RecordTexts::steadyRule(const CalibrationRecord &r) {
    if (judgedByAlarms(r))
        return QString("сигнализация не меняется %1 с").arg(r.steady.windowSeconds);
    // On a stand a position is read once a round.
    if (r.steady.readings > 1)
        return QString("последние %1 показания, охватывающие не менее %2 с, в пределах %3")
            .arg(r.steady.readings)
            .arg(r.steady.windowSeconds)
            .arg(percent(r.steady.band, r.perPercent));
    return QString("за %1 с изменение менее %2")
        .arg(r.steady.windowSeconds)
        .arg(percent(r.steady.band, r.perPercent));
}

QString RecordTexts::tolerance(const CalibrationRecord &r) {
    if (judgedByAlarms(r))
        return "срабатывают пороги, на газ которых проверяют, и только они";
    return "±\u00a0" + percent(r.tolerance, r.perPercent);
}

QString RecordTexts::cylinder(const CalibrationRecord &r) {
    const Cylinder &c = r.cylinder;
    QStringList parts;
    if (!c.number.empty())
        parts << "№ " + QString::fromStdString(c.number);
    else if (c.concentration <= 0)
        parts << "без баллона";
    if (!c.gas.empty())
        parts << QString::fromStdString(c.gas);
    if (c.concentration > 0)
        parts << percent(c.concentration, r.perPercent);
    if (!c.expiry.empty())
        parts << "годен до " + date(c.expiry);
    QString text = parts.join(", ");
    const CalibrationRules *rules = findCalibrationRules(r.block);
    if (c.concentration <= 0 && rules && rules->airSpan)
        text += "; верхняя точка — атмосферный воздух, " + percent(*rules->airSpan, r.perPercent);
    return text;
}

QString RecordTexts::gasRole(const CalibrationRecord &r, TestGas gas) {
    switch (gas) {
    case TestGas::ZeroGas:
        return "Нулевой газ";
    case TestGas::Threshold1:
        return "Газ порога 1";
    case TestGas::Threshold2:
        return "Газ порога 2";
    case TestGas::Cylinder:
    case TestGas::CleanAir:
    case TestGas::Ambient:
        break;
    }
    const bool thresholdsApart =
        std::any_of(r.gases.begin(), r.gases.end(),
                    [](const GasCylinder &g) { return g.gas == TestGas::Threshold2; });
    return r.block == Block::Pgs && thresholdsApart ? "Газ порога 1" : "Баллон";
}

QString RecordTexts::gasCylinder(const GasCylinder &g) {
    const Cylinder &c = g.cylinder;
    QStringList parts;
    if (!c.number.empty())
        parts << "№ " + QString::fromStdString(c.number);
    if (!c.gas.empty())
        parts << QString::fromStdString(c.gas);
    if (c.concentration > 0)
        parts << percent(c.concentration, 100) +
                     (c.uncertainty > 0 ? " ±\u00a0" + percent(c.uncertainty, 100) : QString());
    if (!c.balance.empty())
        parts << "газ-основа " + QString::fromStdString(c.balance);
    if (!c.supplier.empty())
        parts << "поставщик " + QString::fromStdString(c.supplier);
    if (!c.certified.empty())
        parts << "паспорт от " + date(c.certified);
    if (!c.expiry.empty())
        parts << "годен до " + date(c.expiry);
    return parts.join(", ");
}

QStringList RecordTexts::cylinderHeadings() {
    return {"Баллон",     "Газ баллона", "Концентрация", "Погрешность",
            "Газ-основа", "Поставщик",   "Паспорт",      "Годен до"};
}

QStringList RecordTexts::cylinderCells(const CalibrationRecord &r, const QLocale &numbers) {
    const Cylinder &c = r.cylinder;
    const auto optional = [&](int units) {
        return units > 0 ? scaled(units, r.perPercent, numbers) : QString();
    };
    return {QString::fromStdString(c.number),
            QString::fromStdString(c.gas),
            optional(c.concentration),
            optional(c.uncertainty),
            QString::fromStdString(c.balance),
            QString::fromStdString(c.supplier),
            c.certified.empty() ? QString() : date(c.certified),
            c.expiry.empty() ? QString() : date(c.expiry)};
}

QString RecordTexts::recordNumber(const CalibrationRecord &r) {
    if (r.number == 0 && !r.bench.empty())
        return QString::fromStdString(r.bench) + "-" + QString::number(r.benchNumber);
    return QString::number(r.number);
}

QString RecordTexts::counted(long long n, const char *one, const char *few, const char *many) {
    const long long tens = n % 100, ones = n % 10;
    const char *word = (tens >= 11 && tens <= 14) ? many
                       : ones == 1                ? one
                       : (ones >= 2 && ones <= 4) ? few
                                                  : many;
    return QString::number(n) + " " + QString::fromUtf8(word);
}

QString RecordTexts::recordCount(long long n) {
    return counted(n, "запись", "записи", "записей");
}

QStringList RecordTexts::registeredCylinder(const RegisteredCylinder &c) {
    const auto text = [](const std::string &s) { return QString::fromStdString(s); };
    const auto percentOf = [&](int hundredths) {
        return text(percentText(hundredths, 100)) + " %";
    };
    const std::optional<CylinderComponent> component = componentFromKey(c.component);
    const QString uncertainty = c.uncertainty > 0 ? " ± " + percentOf(c.uncertainty) : QString();
    return {text(c.number),
            text(c.gas),
            component ? text(componentName(*component)) : text(c.component),
            percentOf(c.concentration) + uncertainty,
            text(c.balance),
            text(c.supplier),
            date(c.certified),
            date(c.expiry)};
}

QString RecordTexts::technician(const CalibrationRecord &r) {
    QString who = QString::fromStdString(r.technician);
    if (!r.login.empty())
        who += QString(" (вход %1)").arg(QString::fromStdString(r.login));
    return who;
}

QString RecordTexts::ambient(const Ambient &a) {
    if (!a.temperature && !a.pressure && !a.humidity)
        return "не измерялись";
    const auto part = [](std::optional<int> v, int per, const char *unit) {
        return v ? scaled(v, per) + "\u00a0" + unit : QString("—");
    };
    return part(a.temperature, 10, "°C") + "; " + part(a.pressure, 10, "кПа") + "; " +
           part(a.humidity, 1, "%");
}

QString RecordTexts::uncertainty(const CalibrationRecord &r, const Measurement &m) {
    const std::optional<double> u = expandedUncertainty(r, m);
    if (!u || r.perPercent <= 0)
        return "—";
    // One decimal more than the block's, never less than it is.
    const int per = r.perPercent * 10;
    const int units = int(std::ceil(*u * 10 - 1e-9));
    return "±\u00a0" + percent(units, per);
}
