#pragma once
// The calibration window's cylinder: picked from the register of cylinders
// (those that suit the block and are not expired), or typed in, when it is
// registered as the calibration starts. A cylinder picked shows what the
// register holds and cannot be edited; one typed in whose number the register
// holds must read as registered. The oxygen block spanned in air takes no
// cylinder at all. The same fields serve another gas of the calibration (the
// oxygen zero's nitrogen, the ПГС threshold-2 gas), under their own object
// names and remembered apart.

#include "calibration/CylinderFit.h"

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QDate;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;
class RecordStore;

class CylinderFields : public QObject {
  public:
    // The journal's store, which holds the register: opened on first use,
    // `make` even when the journal is not made yet; nullptr with the reason.
    using StoreAccess = std::function<RecordStore *(bool make, QString *error)>;

    // Adds its rows to `form`, its widgets children of `parent`; with a
    // `prefix` ("secondGas") its widgets' object names start with it
    // ("secondGasCylinderNumberEdit").
    CylinderFields(QFormLayout *form, QWidget *parent, const QString &prefix = {});
    void setStoreAccess(StoreAccess access) { access_ = std::move(access); }

    // For a calibration of the block `base` names on `today`: the register's
    // cylinders that suit the gas of the step `role` (the span unless said),
    // and the fields as they were used last for it.
    void prepare(const CalibrationRecord &base, QDate today, TestGas role = TestGas::Cylinder);
    void remember() const;
    // Names each field for a screen reader with the gas it is for ("Газ
    // порога 2: Концентрация, %"), where another set of fields has the same
    // labels.
    void nameFor(const QString &gas);

    // The record's cylinder: the one picked, or the one typed in, registered
    // now if it is not yet (only checked when `check`); an empty one for a
    // span in air. Its concentration in the block's units for the span, in
    // hundredths of a percent for another gas. Nothing, with the reason in
    // the technician's words, when it cannot be used.
    std::optional<Cylinder> resolve(QDate today, QString *error, bool check = false);

    // The entry the fields describe; nothing with the reason when a number
    // in them is not one.
    std::optional<RegisteredCylinder> typed(QString *error) const;

    QComboBox *cylinderCombo;
    QLabel *cylinderRegisterLabel;
    QLineEdit *cylinderNumberEdit;
    QLineEdit *cylinderGasEdit;
    QComboBox *cylinderComponentCombo;
    QLineEdit *cylinderConcentrationEdit;
    QLineEdit *cylinderUncertaintyEdit;
    QLineEdit *cylinderBalanceEdit;
    QLineEdit *cylinderSupplierEdit;
    QDateEdit *cylinderCertifiedEdit;
    QDateEdit *cylinderExpiryEdit;

  private:
    void picked(int index);
    void show(const RegisteredCylinder &c);
    void setEditable(bool editable);
    QString key(const char *name) const;

    StoreAccess access_;
    QFormLayout *form_;
    QString prefix_;
    TestGas role_ = TestGas::Cylinder;
    std::uint8_t block_ = 0;
    const CalibrationRules *rules_ = nullptr;
    SensorGas gas_ = SensorGas::Methane;
    std::vector<RegisteredCylinder> offered_;
};
