#include "CylinderFields.h"

#include "DateField.h"
#include "records/CylinderRegister.h"
#include "records/RecordTexts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSettings>

namespace {
constexpr CylinderComponent Components[] = {
    CylinderComponent::Methane, CylinderComponent::Propane,  CylinderComponent::Hydrogen,
    CylinderComponent::Oxygen,  CylinderComponent::Nitrogen, CylinderComponent::ZeroAir};

QString text(const std::string &s) {
    return QString::fromStdString(s);
}
std::string utf8(const QLineEdit *e) {
    return e->text().trimmed().toStdString();
}
std::string iso(QDate d) {
    return d.toString(Qt::ISODate).toStdString();
}

// Percent in the field in hundredths, when it is one above `least` (or from it).
std::optional<int> hundredths(const QLineEdit *field, int least, bool strict) {
    const std::optional<int> v = hundredthsOf(utf8(field));
    if (!v || (strict ? *v <= least : *v < least))
        return std::nullopt;
    return v;
}

// Hundredths of a percent as the program's locale writes numbers.
QString percentField(int hundredths) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(hundredths / 100.0, 'f', 2);
}

QString offeredText(const RegisteredCylinder &c) {
    return QString("№ %1 — %2, %3 %, годен до %4")
        .arg(text(c.number), text(c.gas), percentField(c.concentration),
             RecordTexts::date(c.expiry));
}
} // namespace

CylinderFields::CylinderFields(QFormLayout *form, QWidget *parent, const QString &prefix)
    : QObject(parent), form_(form), prefix_(prefix) {
    const auto named = [&](QWidget *w, const char *name) {
        QString n = QString::fromLatin1(name);
        if (!prefix.isEmpty())
            n = prefix + n.left(1).toUpper() + n.mid(1);
        w->setObjectName(n);
    };
    const auto edit = [&](const char *name, const char *label) {
        auto *e = new QLineEdit(parent);
        named(e, name);
        form->addRow(QString::fromUtf8(label), e);
        return e;
    };
    cylinderCombo = new QComboBox(parent);
    named(cylinderCombo, "cylinderCombo");
    cylinderCombo->setToolTip("Баллоны реестра, которые подходят датчику и не просрочены");
    form->addRow("Баллон из реестра:", cylinderCombo);
    cylinderRegisterLabel = new QLabel(parent);
    named(cylinderRegisterLabel, "cylinderRegisterLabel");
    cylinderRegisterLabel->setWordWrap(true);
    form->addRow(cylinderRegisterLabel);
    cylinderNumberEdit = edit("cylinderNumberEdit", "Баллон, номер или партия:");
    cylinderGasEdit = edit("cylinderGasEdit", "Газ баллона:");
    cylinderComponentCombo = new QComboBox(parent);
    named(cylinderComponentCombo, "cylinderComponentCombo");
    for (CylinderComponent c : Components)
        cylinderComponentCombo->addItem(text(componentName(c)), text(componentKey(c)));
    form->addRow("Баллон для газа:", cylinderComponentCombo);
    cylinderConcentrationEdit = edit("cylinderConcentrationEdit", "Концентрация, %:");
    cylinderUncertaintyEdit = edit("cylinderUncertaintyEdit", "Погрешность концентрации, ± %:");
    cylinderBalanceEdit = edit("cylinderBalanceEdit", "Газ-основа (в чём):");
    cylinderSupplierEdit = edit("cylinderSupplierEdit", "Поставщик:");
    cylinderCertifiedEdit = dateField("cylinderCertifiedEdit", parent);
    named(cylinderCertifiedEdit, "cylinderCertifiedEdit");
    form->addRow("Паспорт баллона от:", cylinderCertifiedEdit);
    cylinderExpiryEdit = dateField("cylinderExpiryEdit", parent);
    named(cylinderExpiryEdit, "cylinderExpiryEdit");
    form->addRow("Баллон годен до:", cylinderExpiryEdit);
    connect(cylinderCombo, &QComboBox::activated, this, &CylinderFields::picked);
}

QString CylinderFields::key(const char *name) const {
    return prefix_.isEmpty() ? QString("calibration/%1/%2").arg(block_).arg(name)
                             : QString("calibration/%1/%2/%3").arg(block_).arg(prefix_, name);
}

void CylinderFields::prepare(const CalibrationRecord &base, QDate today, TestGas role) {
    role_ = role;
    block_ = base.block;
    rules_ = findCalibrationRules(base.block);
    gas_ = base.sensorGas;
    const QSettings s;
    cylinderNumberEdit->setText(s.value(key("cylinder")).toString());
    cylinderGasEdit->setText(s.value(key("gas")).toString());
    // The span takes the block's own gas (which its settings may have
    // changed), the oxygen sensor's zero nitrogen.
    const bool zero = role == TestGas::ZeroGas;
    const CylinderComponent component = zero ? CylinderComponent::Nitrogen : componentOf(gas_);
    cylinderComponentCombo->setCurrentIndex(
        std::max(cylinderComponentCombo->findData(text(componentKey(component))), 0));
    cylinderConcentrationEdit->setText(s.value(key("concentration")).toString());
    cylinderUncertaintyEdit->setText(s.value(key("uncertainty")).toString());
    // Oxygen comes in nitrogen, the gases the other sensors take in air.
    const bool oxygen = rules_ && rules_->airSpan;
    cylinderBalanceEdit->setText(s.value(key("balance"), zero     ? ""
                                                         : oxygen ? "азот"
                                                                  : "воздух")
                                     .toString());
    cylinderSupplierEdit->setText(s.value(key("supplier")).toString());
    const QDate certified = s.value(key("certified")).toDate();
    cylinderCertifiedEdit->setDate(certified.isValid() ? certified : today);
    const QDate expiry = s.value(key("expiry")).toDate();
    cylinderExpiryEdit->setDate(expiry.isValid() ? expiry : today.addYears(1));

    offered_.clear();
    cylinderCombo->clear();
    cylinderCombo->addItem("Ввести данные баллона вручную");
    QString error;
    RecordStore *store = access_ ? access_(false, &error) : nullptr;
    std::optional<std::vector<RegisteredCylinder>> usable;
    if (store && rules_)
        usable = CylinderRegister(*store).usable(today, *rules_, gas_, &error, role_);
    if (usable)
        offered_ = std::move(*usable);
    for (const RegisteredCylinder &c : offered_)
        cylinderCombo->addItem(offeredText(c), text(c.number));
    if (!error.isEmpty())
        cylinderRegisterLabel->setText("Реестр баллонов недоступен: " + error);
    else if (offered_.empty())
        cylinderRegisterLabel->setText("В реестре нет годных баллонов для этого датчика: введите "
                                       "данные баллона, он будет внесён в реестр.");
    else
        cylinderRegisterLabel->clear();
    const int remembered = cylinderCombo->findData(cylinderNumberEdit->text().trimmed());
    cylinderCombo->setCurrentIndex(std::max(remembered, 0));
    picked(cylinderCombo->currentIndex());
}

void CylinderFields::nameFor(const QString &gas) {
    for (QWidget *field : std::initializer_list<QWidget *>{
             cylinderCombo, cylinderNumberEdit, cylinderGasEdit, cylinderComponentCombo,
             cylinderConcentrationEdit, cylinderUncertaintyEdit, cylinderBalanceEdit,
             cylinderSupplierEdit, cylinderCertifiedEdit, cylinderExpiryEdit})
        if (const auto *label = qobject_cast<QLabel *>(form_->labelForField(field)))
            field->setAccessibleName(gas + ": " + label->text().chopped(1));
}

void CylinderFields::picked(int index) {
    const bool typed = index <= 0 || index > int(offered_.size());
    setEditable(typed);
    if (!typed)
        show(offered_[std::size_t(index - 1)]);
}

void CylinderFields::show(const RegisteredCylinder &c) {
    cylinderNumberEdit->setText(text(c.number));
    cylinderGasEdit->setText(text(c.gas));
    cylinderComponentCombo->setCurrentIndex(
        std::max(cylinderComponentCombo->findData(text(c.component)), 0));
    cylinderConcentrationEdit->setText(percentField(c.concentration));
    cylinderUncertaintyEdit->setText(percentField(c.uncertainty));
    cylinderBalanceEdit->setText(text(c.balance));
    cylinderSupplierEdit->setText(text(c.supplier));
    cylinderCertifiedEdit->setDate(QDate::fromString(text(c.certified), Qt::ISODate));
    cylinderExpiryEdit->setDate(QDate::fromString(text(c.expiry), Qt::ISODate));
}

void CylinderFields::setEditable(bool editable) {
    for (QLineEdit *e : {cylinderNumberEdit, cylinderGasEdit, cylinderConcentrationEdit,
                         cylinderUncertaintyEdit, cylinderBalanceEdit, cylinderSupplierEdit})
        e->setReadOnly(!editable);
    for (QDateEdit *e : {cylinderCertifiedEdit, cylinderExpiryEdit})
        e->setReadOnly(!editable);
    cylinderComponentCombo->setEnabled(editable);
}

void CylinderFields::remember() const {
    QSettings s;
    s.setValue(key("cylinder"), cylinderNumberEdit->text().trimmed());
    s.setValue(key("gas"), cylinderGasEdit->text().trimmed());
    s.setValue(key("concentration"), cylinderConcentrationEdit->text().trimmed());
    s.setValue(key("uncertainty"), cylinderUncertaintyEdit->text().trimmed());
    s.setValue(key("balance"), cylinderBalanceEdit->text().trimmed());
    s.setValue(key("supplier"), cylinderSupplierEdit->text().trimmed());
    s.setValue(key("certified"), cylinderCertifiedEdit->date());
    s.setValue(key("expiry"), cylinderExpiryEdit->date());
}

std::optional<RegisteredCylinder> CylinderFields::typed(QString *error) const {
    RegisteredCylinder c;
    c.number = utf8(cylinderNumberEdit);
    c.gas = utf8(cylinderGasEdit);
    c.component = cylinderComponentCombo->currentData().toString().toStdString();
    const std::optional<int> concentration = hundredths(cylinderConcentrationEdit, 0, true);
    if (!concentration) {
        *error = "Концентрация газа в баллоне — число процентов больше 0 и не больше 100, не "
                 "больше двух знаков после запятой, например 2,50.";
        return std::nullopt;
    }
    c.concentration = *concentration;
    if (!cylinderUncertaintyEdit->text().trimmed().isEmpty()) {
        const std::optional<int> uncertainty = hundredths(cylinderUncertaintyEdit, 0, false);
        if (!uncertainty) {
            *error = "Погрешность концентрации — число процентов не меньше 0, не больше двух "
                     "знаков после запятой, например 0,05; если она не известна, оставьте поле "
                     "пустым.";
            return std::nullopt;
        }
        c.uncertainty = *uncertainty;
    }
    c.balance = utf8(cylinderBalanceEdit);
    c.supplier = utf8(cylinderSupplierEdit);
    c.certified = iso(cylinderCertifiedEdit->date());
    c.expiry = iso(cylinderExpiryEdit->date());
    return c;
}

std::optional<Cylinder> CylinderFields::resolve(QDate today, QString *error, bool check) {
    if (!rules_) {
        *error = "Для этого блока калибровка не предусмотрена.";
        return std::nullopt;
    }
    const bool noNumber = cylinderNumberEdit->text().trimmed().isEmpty();
    // The oxygen sensor may be spanned in air: no cylinder then.
    if (role_ == TestGas::Cylinder && rules_->airSpan &&
        cylinderConcentrationEdit->text().trimmed().isEmpty()) {
        if (noNumber)
            return Cylinder{};
        *error = "Для калибровки в атмосферном воздухе баллон не нужен: оставьте номер баллона "
                 "пустым или укажите концентрацию газа в нём.";
        return std::nullopt;
    }
    if (noNumber) {
        *error = "Укажите номер или партию баллона.";
        return std::nullopt;
    }
    const QDate expiry = cylinderExpiryEdit->date();
    if (expiry < today) {
        *error = QString("Срок годности баллона истёк %1: возьмите другой баллон.")
                     .arg(expiry.toString("dd.MM.yyyy"));
        return std::nullopt;
    }
    std::optional<RegisteredCylinder> entry = typed(error);
    if (!entry)
        return std::nullopt;
    QString why;
    RecordStore *store = access_ ? access_(true, &why) : nullptr;
    if (!store) {
        *error = "Реестр баллонов недоступен: " + why;
        return std::nullopt;
    }
    CylinderRegister cylinders(*store);
    const std::optional<RegisteredCylinder> found = cylinders.find(entry->number, &why);
    if (!found && !why.isEmpty()) {
        *error = "Реестр баллонов недоступен: " + why;
        return std::nullopt;
    }
    if (found) {
        entry->added = found->added;
        if (*entry != *found) {
            *error = QString("Баллон № %1 в реестре записан иначе: выберите его в списке «Баллон "
                             "из реестра» или проверьте номер.")
                         .arg(text(entry->number));
            return std::nullopt;
        }
    }
    if (const auto fault = entryFault(*entry)) {
        *error = text(*fault);
        return std::nullopt;
    }
    if (const auto misfit = gasMisfit(*entry, *rules_, gas_, role_)) {
        *error = text(*misfit);
        return std::nullopt;
    }
    if (!check && !found && !cylinders.add(*entry, error))
        return std::nullopt;
    return recordCylinder(*entry, role_ == TestGas::Cylinder ? rules_->perPercent : 100);
}
