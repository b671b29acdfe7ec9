#include "RuleFields.h"

#include "LocaleNumbers.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>

#include <cmath>

namespace {
QString settingsKey(std::uint8_t block, const char *name) {
    return QString("calibration/%1/%2").arg(block).arg(name);
}
} // namespace

RuleFields::RuleFields(QFormLayout *form, QWidget *parent) {
    auto *rule = new QHBoxLayout;
    steadySecondsSpin = new QSpinBox(parent);
    steadySecondsSpin->setObjectName("steadySecondsSpin");
    steadySecondsSpin->setRange(5, 600);
    steadySecondsSpin->setSuffix(" с");
    steadyBandEdit = new QLineEdit(parent);
    steadyBandEdit->setObjectName("steadyBandEdit");
    steadyBandEdit->setMaximumWidth(80);
    steadySecondsSpin->setAccessibleName("Показание устойчиво за, с");
    steadyBandEdit->setAccessibleName("Изменение показания менее, %");
    rule->addWidget(new QLabel("за", parent));
    rule->addWidget(steadySecondsSpin);
    rule->addWidget(new QLabel("изменение менее", parent));
    rule->addWidget(steadyBandEdit);
    rule->addWidget(new QLabel("%", parent));
    rule->addStretch();
    form->addRow("Показание устойчиво:", rule);
    toleranceEdit = new QLineEdit(parent);
    toleranceEdit->setObjectName("toleranceEdit");
    form->addRow("Допуск, ± %:", toleranceEdit);
}

void RuleFields::prepare(const CalibrationRecord &base) {
    base_ = base;
    const CalibrationRules *rules = findCalibrationRules(base.block);
    const SteadyRule rule = rules ? rules->steady : SteadyRule{};
    const QSettings s;
    steadySecondsSpin->setValue(
        s.value(settingsKey(base.block, "steadySeconds"), rule.windowSeconds).toInt());
    steadyBandEdit->setText(
        s.value(settingsKey(base.block, "steadyBand"), percentText(rule.band)).toString());
    toleranceEdit->setText(
        s.value(settingsKey(base.block, "tolerance"), percentText(defaultTolerance(base.sensorGas)))
            .toString());
    // The ПГС block is judged by its alarms, not by a reading.
    const bool judgedByReading = !rules || rules->style != CalibrationStyle::Thresholds;
    steadyBandEdit->setEnabled(judgedByReading);
    toleranceEdit->setEnabled(judgedByReading);
}

void RuleFields::remember() const {
    QSettings s;
    s.setValue(settingsKey(base_.block, "steadySeconds"), steadySecondsSpin->value());
    s.setValue(settingsKey(base_.block, "steadyBand"), steadyBandEdit->text().trimmed());
    s.setValue(settingsKey(base_.block, "tolerance"), toleranceEdit->text().trimmed());
}

std::optional<RuleFields::Chosen> RuleFields::chosen(QString *error) const {
    std::optional<int> band = percentField(steadyBandEdit);
    std::optional<int> tolerance = percentField(toleranceEdit);
    const CalibrationRules *rules = findCalibrationRules(base_.block);
    if (rules && rules->style == CalibrationStyle::Thresholds) {
        band = rules->steady.band;
        tolerance = 0;
    }
    if (!band) {
        *error = "Изменение, при котором показание считается устойчивым, — число процентов больше "
                 "0, например 0,05.";
        return std::nullopt;
    }
    if (!tolerance) {
        *error = "Допуск — число процентов больше 0, например 0,20.";
        return std::nullopt;
    }
    return Chosen{{steadySecondsSpin->value(), *band}, *tolerance};
}

std::optional<int> RuleFields::percentField(const QLineEdit *field) const {
    QString t = field->text().trimmed();
    t.replace(',', '.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !(v > 0) || v > 100)
        return std::nullopt;
    return int(std::lround(v * base_.perPercent));
}

QString RuleFields::percentText(int units) const {
    return inUnits(units, base_.perPercent);
}
