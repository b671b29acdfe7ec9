#pragma once
// The register of gas cylinders, kept in the journal's cylinders table (a
// file's, or the workshop's when the journal is a server): each cylinder once,
// by its number or lot, with what its certificate says. A cylinder once
// registered is not changed; one mistyped is registered anew under its right
// number. Which cylinder suits which block is the core's (CylinderFit.h).
//
// Every call goes through the store's own connection; a store not open gives
// errors, not cylinders.

#include "RecordChain.h"
#include "calibration/CylinderFit.h"

#include <QDate>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class RecordStore;

class CylinderRegister {
  public:
    explicit CylinderRegister(const RecordStore &store) : store_(store) {}

    // Registers the cylinder, whole or not at all, once it reads back as
    // given; `added` is set to now when empty. Refused with the reason in
    // `error` when its fields are not valid (entryFault()), its number is
    // registered already or, unless allowed, differs from a registered one
    // only by look-alike Cyrillic and Latin letters (one copied from another
    // register is registered there already, as it is).
    enum class LookAlikes { Refused, Allowed };
    bool add(RegisteredCylinder cylinder, QString *error,
             LookAlikes lookAlikes = LookAlikes::Refused);

    // Every cylinder, by number; nothing when the register could not be read.
    std::optional<std::vector<RegisteredCylinder>> all(QString *error) const;
    // The cylinder of that number; nothing with `error` empty when there is none.
    std::optional<RegisteredCylinder> find(const std::string &number, QString *error) const;
    // Those not expired on `day` that suit the gas of the step `role` (the
    // span unless said) of a block with these rules judged in `gas`.
    std::optional<std::vector<RegisteredCylinder>> usable(QDate day, const CalibrationRules &rules,
                                                          SensorGas gas, QString *error,
                                                          TestGas role = TestGas::Cylinder) const;
    // Whether every cylinder reads as it was registered and none was taken
    // out from before another, by the register's chain (RecordHash.h); only
    // the newest may go unseen.
    ChainCheck verify() const;
    // Those still good on `day` that expire within `days` after it, the
    // soonest first.
    std::optional<std::vector<RegisteredCylinder>> expiring(QDate day, int days,
                                                            QString *error) const;

  private:
    std::optional<std::vector<RegisteredCylinder>>
    select(const QString &where, const QVariantList &binds, QString *error) const;

    const RecordStore &store_;
};
