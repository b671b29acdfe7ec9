#include "RecordHash.h"

#include "ChartText.h"
#include "RecordKeys.h"

#include <QCryptographicHash>
#include <QLocale>

namespace {
class Canonical {
  public:
    void field(const char *name, const std::string &value) {
        text_ += name;
        text_ += '=';
        text_ += QByteArray::number(qsizetype(value.size()));
        text_ += ':';
        text_ += QByteArray::fromStdString(value);
        text_ += '\n';
    }
    void field(const char *name, long long value) { field(name, std::to_string(value)); }
    void field(const char *name, double value) {
        field(name, QString::number(value, 'g', QLocale::FloatingPointShortest).toStdString());
    }
    template <typename T> void field(const char *name, const std::optional<T> &value) {
        if (value) {
            field(name, *value);
            return;
        }
        text_ += name;
        text_ += "=-\n";
    }
    void field(const char *name, int value) { field(name, static_cast<long long>(value)); }
    void field(const char *name, bool value) { field(name, value ? 1LL : 0LL); }
    QByteArray text() const { return text_; }

  private:
    QByteArray text_;
};
} // namespace

QByteArray RecordHash::canonical(const CalibrationRecord &r) {
    Canonical c;
    // A bench's record reads the same in every journal it is sent to, where it
    // is kept under another number; records kept before benches had ids are
    // known by their number alone.
    const bool fromBench = !r.bench.empty();
    if (fromBench) {
        c.field("bench", r.bench);
        c.field("bench_number", static_cast<long long>(r.benchNumber));
    } else {
        c.field("number", static_cast<long long>(r.number));
    }
    c.field("corrects", r.corrects ? std::optional<long long>(*r.corrects) : std::nullopt);
    c.field("device_type", r.deviceType);
    c.field("model", r.model);
    c.field("serial", r.serial);
    c.field("block", int(r.block));
    c.field("versions", int(r.versions.size()));
    for (const auto &[name, version] : r.versions) {
        c.field("version_name", name);
        c.field("version", version);
    }
    c.field("stand_position", r.standPosition);
    c.field("technician", r.technician);
    c.field("at", r.when);
    c.field("cylinder_number", r.cylinder.number);
    c.field("cylinder_gas", r.cylinder.gas);
    c.field("cylinder_concentration", r.cylinder.concentration);
    c.field("cylinder_expiry", r.cylinder.expiry);
    if (fromBench) {
        c.field("cylinder_uncertainty", r.cylinder.uncertainty);
        c.field("cylinder_balance", r.cylinder.balance);
        c.field("cylinder_supplier", r.cylinder.supplier);
        c.field("cylinder_certified", r.cylinder.certified);
    }
    // Only records that name other gases have these lines: those kept before
    // there were any keep their sums.
    if (!r.gases.empty()) {
        c.field("gases", int(r.gases.size()));
        for (const GasCylinder &g : r.gases) {
            c.field("gas_of", testGasKey(g.gas));
            c.field("gas_cylinder_number", g.cylinder.number);
            c.field("gas_cylinder_gas", g.cylinder.gas);
            c.field("gas_cylinder_concentration", g.cylinder.concentration);
            c.field("gas_cylinder_uncertainty", g.cylinder.uncertainty);
            c.field("gas_cylinder_balance", g.cylinder.balance);
            c.field("gas_cylinder_supplier", g.cylinder.supplier);
            c.field("gas_cylinder_certified", g.cylinder.certified);
            c.field("gas_cylinder_expiry", g.cylinder.expiry);
        }
    }
    c.field("sensor_gas", sensorGasKey(r.sensorGas));
    c.field("per_percent", r.perPercent);
    c.field("steady_seconds", r.steady.windowSeconds);
    c.field("steady_band", r.steady.band);
    c.field("tolerance", r.tolerance);
    c.field("measurements", int(r.measurements.size()));
    for (const Measurement &m : r.measurements) {
        c.field("phase", phaseKey(m.phase));
        c.field("gas", testGasKey(m.gas));
        c.field("point", m.point);
        c.field("expected", m.expected);
        c.field("allowed", m.tolerance);
        c.field("reading", m.reading);
        c.field("alarms_expected", m.alarmsExpected);
        c.field("alarms_seen", m.alarmsSeen);
        c.field("seconds_to_steady", m.secondsToSteady);
        c.field("seconds_to_90", m.secondsTo90);
        c.field("accepted_early", m.acceptedEarly);
        c.field("passed", m.passed);
        c.field("chart", chartToText(m.chart));
    }
    c.field("points", int(r.points.size()));
    for (const AdjustedPoint &p : r.points) {
        c.field("point_name", p.name);
        c.field("per_unit", p.perUnit);
        c.field("before", p.before);
        c.field("after", p.after);
    }
    c.field("settings_after", int(r.settingsAfter.size()));
    for (const auto &[name, value] : r.settingsAfter) {
        c.field("setting_name", name);
        c.field("setting", value);
    }
    c.field("outcome", outcomeKey(r.outcome));
    c.field("remark", r.remark);
    c.field("next_due", r.nextDue);
    c.field("tool_version", r.toolVersion);
    // Only records that carry them have these lines: those kept before keep
    // their sums. The login is the server's to give and stays out.
    const std::pair<const char *, const std::string *> named[] = {
        {"approved_by", &r.approvedBy},
        {"laboratory", &r.laboratory},
        {"laboratory_address", &r.laboratoryAddress},
        {"method", &r.method},
        {"sensor_label", &r.sensorLabel},
        {"batch", &r.batch}};
    for (const auto &[name, value] : named)
        if (!value->empty())
            c.field(name, *value);
    const std::pair<const char *, const std::optional<int> *> room[] = {
        {"ambient_temperature", &r.ambient.temperature},
        {"ambient_pressure", &r.ambient.pressure},
        {"ambient_humidity", &r.ambient.humidity}};
    for (const auto &[name, value] : room)
        if (*value)
            c.field(name, **value);
    if (r.steady.readings != 1)
        c.field("steady_readings", r.steady.readings);
    return c.text();
}

std::string RecordHash::chained(const std::string &previousHash, const CalibrationRecord &r) {
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(QByteArray::fromStdString(previousHash));
    sha.addData(canonical(r));
    return sha.result().toHex().toStdString();
}

std::string RecordHash::journalLink(const std::string &previousLink, std::int64_t number,
                                    const std::string &hash, const std::string &login) {
    QCryptographicHash sha(QCryptographicHash::Sha256);
    std::string linked = previousLink + "\n" + std::to_string(number) + "\n" + hash;
    if (!login.empty())
        linked += "\n" + login;
    sha.addData(QByteArray::fromStdString(linked));
    return sha.result().toHex().toStdString();
}

std::string RecordHash::cylinderChained(const std::string &previousHash, std::int64_t seq,
                                        const RegisteredCylinder &c) {
    Canonical text;
    text.field("seq", static_cast<long long>(seq));
    text.field("number", c.number);
    text.field("gas", c.gas);
    text.field("component", c.component);
    text.field("concentration", c.concentration);
    text.field("uncertainty", c.uncertainty);
    text.field("balance", c.balance);
    text.field("supplier", c.supplier);
    text.field("certified", c.certified);
    text.field("expiry", c.expiry);
    text.field("added", c.added);
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(QByteArray::fromStdString(previousHash));
    sha.addData(text.text());
    return sha.result().toHex().toStdString();
}
