#pragma once
// What a calibration asks for before it starts, on the desk or on a stand:
// who calibrates, the laboratory and the room, the cylinders and the rules
// of judgement. The cylinder of the span is on the first tab; where the
// block takes another gas (the oxygen zero's nitrogen, the ПГС threshold-2
// gas) its cylinder is on a second. Each window has its own set, remembered
// apart where its object names have a prefix.

#include "CylinderFields.h"
#include "RuleFields.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CalibrationContextFields;
class QFormLayout;
class QLineEdit;
class QTabWidget;
class QWidget;

class CalibrationSetupFields {
  public:
    // Adds its rows to `form`, its widgets children of `parent`; with a
    // `prefix` ("stand") the object names of the technician's field, the
    // tabs and the cylinders' fields start with it.
    CalibrationSetupFields(QFormLayout *form, QWidget *parent, const QString &prefix = {});
    ~CalibrationSetupFields();
    void setStoreAccess(const CylinderFields::StoreAccess &access);

    // For a calibration of the block `base` names: as the fields were used
    // last for it.
    void prepare(const CalibrationRecord &base);
    void remember() const;

    // The record to start from, `base` with who, where and the cylinders
    // (a cylinder typed in is registered here, once all else is found
    // good), and the rules; nothing, with the reason in the technician's
    // words, and the register as it was, when something cannot be used.
    struct Filled {
        CalibrationRecord record;
        RuleFields::Chosen rules;
    };
    std::optional<Filled> fill(QString *error);

    // The gas of the second tab, Ambient where there is none.
    TestGas secondGas() const;

    QLineEdit *technicianEdit;
    std::unique_ptr<CalibrationContextFields> context;
    QTabWidget *gasTabs;
    CylinderFields *cylinders;
    CylinderFields *secondCylinders;
    std::unique_ptr<RuleFields> ruleFields;

  private:
    std::optional<Cylinder> resolveCylinders(std::vector<GasCylinder> *others, QString *error);
    QString percentText(int units) const;

    QString prefix_;
    CalibrationRecord base_;
    const CalibrationRules *rules_ = nullptr;
};

// What a calibration was started with, for the window to show: who, the
// cylinders, the rules and the room.
QStringList startConditions(const CalibrationRecord &started);
