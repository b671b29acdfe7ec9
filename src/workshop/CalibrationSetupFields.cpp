#include "CalibrationSetupFields.h"

#include "CalibrationContextFields.h"
#include "LocaleNumbers.h"
#include "protocol/Frame.h"
#include "records/RecordTexts.h"

#include <QDate>
#include <QDateTime>
#include <QFormLayout>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>

namespace {
QString prefixed(const QString &prefix, const QString &name) {
    return prefix.isEmpty() ? name : prefix + name.left(1).toUpper() + name.mid(1);
}
} // namespace

CalibrationSetupFields::CalibrationSetupFields(QFormLayout *form, QWidget *parent,
                                               const QString &prefix)
    : prefix_(prefix) {
    technicianEdit = new QLineEdit(parent);
    technicianEdit->setObjectName(prefixed(prefix, "technicianEdit"));
    form->addRow("Калибровку выполняет:", technicianEdit);
    context = std::make_unique<CalibrationContextFields>(form, parent);
    gasTabs = new QTabWidget(parent);
    gasTabs->setObjectName(prefixed(prefix, "gasTabs"));
    CylinderFields **fields[] = {&cylinders, &secondCylinders};
    for (int i = 0; i < 2; ++i) {
        auto *page = new QWidget(gasTabs);
        auto *pageForm = new QFormLayout(page);
        *fields[i] =
            new CylinderFields(pageForm, page, i == 0 ? prefix : prefixed(prefix, "secondGas"));
        gasTabs->addTab(page, "Баллон");
    }
    form->addRow(gasTabs);
    ruleFields = std::make_unique<RuleFields>(form, parent);
}

CalibrationSetupFields::~CalibrationSetupFields() = default;

void CalibrationSetupFields::setStoreAccess(const CylinderFields::StoreAccess &access) {
    cylinders->setStoreAccess(access);
    secondCylinders->setStoreAccess(access);
}

TestGas CalibrationSetupFields::secondGas() const {
    if (!rules_)
        return TestGas::Ambient;
    if (rules_->style == CalibrationStyle::Thresholds)
        return TestGas::Threshold2;
    return rules_->block == Block::Oxygen ? TestGas::ZeroGas : TestGas::Ambient;
}

void CalibrationSetupFields::prepare(const CalibrationRecord &base) {
    base_ = base;
    rules_ = findCalibrationRules(base.block);
    technicianEdit->setText(QSettings().value("calibration/technician").toString());
    context->prepare();
    cylinders->prepare(base, QDate::currentDate());
    const TestGas second = secondGas();
    const bool pgs = second == TestGas::Threshold2;
    gasTabs->setTabText(0, pgs ? "Газ порога 1" : "Баллон");
    gasTabs->setTabText(1, pgs ? "Газ порога 2" : "Нулевой газ (азот)");
    gasTabs->setTabVisible(1, second != TestGas::Ambient);
    gasTabs->setCurrentIndex(0);
    if (second != TestGas::Ambient) {
        secondCylinders->prepare(base, QDate::currentDate(), second);
        secondCylinders->nameFor(gasTabs->tabText(1));
    }
    ruleFields->prepare(base);
}

void CalibrationSetupFields::remember() const {
    QSettings().setValue("calibration/technician", technicianEdit->text().trimmed());
    context->remember();
    cylinders->remember();
    if (secondGas() != TestGas::Ambient)
        secondCylinders->remember();
    ruleFields->remember();
}

QString CalibrationSetupFields::percentText(int units) const {
    return inUnits(units, base_.perPercent);
}

std::optional<CalibrationSetupFields::Filled> CalibrationSetupFields::fill(QString *error) {
    if (!rules_) {
        *error = "Для этого блока калибровка не предусмотрена.";
        return std::nullopt;
    }
    const QString technician = technicianEdit->text().trimmed();
    if (technician.isEmpty()) {
        *error = "Укажите, кто выполняет калибровку.";
        return std::nullopt;
    }
    const std::optional<RuleFields::Chosen> chosen = ruleFields->chosen(error);
    if (!chosen)
        return std::nullopt;
    CalibrationRecord record = base_;
    if (!context->fill(record, error))
        return std::nullopt;
    // Last: a cylinder typed in is registered here.
    std::vector<GasCylinder> others;
    const std::optional<Cylinder> cylinder = resolveCylinders(&others, error);
    if (!cylinder)
        return std::nullopt;
    record.technician = technician.toStdString();
    record.cylinder = *cylinder;
    record.gases = std::move(others);
    record.when = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    return Filled{std::move(record), *chosen};
}

// The span's cylinder and the other gas's, each checked before either is
// registered: a refusal leaves the register as it was.
std::optional<Cylinder> CalibrationSetupFields::resolveCylinders(std::vector<GasCylinder> *others,
                                                                 QString *error) {
    const QDate today = QDate::currentDate();
    const TestGas second = secondGas();
    const QString secondName = gasTabs->tabText(1);
    QString refused;
    for (const bool check : {true, false}) {
        const std::optional<Cylinder> first = cylinders->resolve(today, &refused, check);
        if (!first) {
            *error = refused;
            return std::nullopt;
        }
        if (second == TestGas::Ambient) {
            if (!check)
                return first;
            continue;
        }
        const std::optional<Cylinder> other = secondCylinders->resolve(today, &refused, check);
        if (!other) {
            *error = secondName + ": " + refused;
            return std::nullopt;
        }
        if (!first->number.empty() && first->number == other->number) {
            *error =
                QString("Баллон № %1 указан и на вкладке «%2», и на вкладке «%3»: для этих "
                        "газов нужны разные баллоны.")
                    .arg(QString::fromStdString(first->number), gasTabs->tabText(0), secondName);
            return std::nullopt;
        }
        // The ПГС block's threshold gases both in hundredths of a percent.
        if (second == TestGas::Threshold2 && other->concentration <= first->concentration) {
            *error = QString("Газ порога 2 (%1 %) должен быть концентрированнее газа порога 1 "
                             "(%2 %): проверьте, не перепутаны ли баллоны.")
                         .arg(percentText(other->concentration), percentText(first->concentration));
            return std::nullopt;
        }
        if (!check) {
            *others = {{second, *other}};
            return first;
        }
    }
    return std::nullopt;
}

QStringList startConditions(const CalibrationRecord &started) {
    QStringList conditions{"Выполняет: " + QString::fromStdString(started.technician),
                           RecordTexts::gasRole(started, TestGas::Cylinder).toLower() + ": " +
                               RecordTexts::cylinder(started)};
    for (const GasCylinder &g : started.gases)
        conditions << RecordTexts::gasRole(started, g.gas).toLower() + ": " +
                          RecordTexts::gasCylinder(g);
    conditions << "устойчиво: " + RecordTexts::steadyRule(started);
    conditions << "допуск: " + RecordTexts::tolerance(started);
    conditions << "в помещении: " + RecordTexts::ambient(started.ambient);
    return conditions;
}
