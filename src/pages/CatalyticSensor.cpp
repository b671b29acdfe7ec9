#include "CatalyticSensor.h"

#include "PageFormat.h"
#include "SensorIndicators.h"
#include "ValueField.h"
#include "charts/StripChart.h"
#include "protocol/CatalyticReply.h"
#include "protocol/InstrumentKind.h"
#include "protocol/SensorCodes.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {
namespace C = CatalyticCode;

const CatalyticDefaults MethaneDefaults{250, 50, 100, 500};
const CatalyticDefaults PropaneDefaults{100, 20, 40, 200};

QString padded(double value) {
    return "  " + PageFormat::general(value);
}

void showText(QWidget *widget, const QString &text) {
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
}
} // namespace

CatalyticSensor::CatalyticSensor(ExchangeCycle &exchange, Messages &messages, std::uint8_t block,
                                 CatalyticStyle style)
    : exchange_(exchange), messages_(messages), block_(block), style_(style),
      reads_(findKindBlock(block)->opening.tail()) {}

void CatalyticSensor::decode(const Frame &reply) {
    const CatalyticReply r = decodeCatalytic(reply);
    showStatus(r.status);
    if (r.uAirTenths)
        w.uAir->setText(padded(*r.uAirTenths / 10.0));
    if (r.uGasTenths)
        w.uGas->setText(padded(*r.uGasTenths / 10.0));
    showCarried(w.calibrationGas, r.calibrationGas);
    showCarried(w.threshold1, r.threshold1);
    showCarried(w.threshold2, r.threshold2);
    showCarried(w.offThreshold, r.offThreshold);
    if (r.version)
        w.version->setText(PageFormat::version(*r.version));
    showReadings(r);
}

void CatalyticSensor::showStatus(const CatalyticReply::Status &s) {
    using namespace SensorIndicators;
    applyAll({power(w.power, s.on), mode(w.mode, s.setUp), settings(w.settings, s.settingsError),
              circuit(w.circuit, s.circuitFault)});
    showAlarms(
        {offAlarm(w.offAlarm, s.offAlarm), alarm2(w.alarm2, s.alarm2), alarm1(w.alarm1, s.alarm1)},
        s.on);
    if (!style_.fixedGas)
        w.parameters->setTitle(gasName(s.propane));
}

void CatalyticSensor::showReadings(const CatalyticReply &r) {
    if (!r.voltageTenths || !r.concentration)
        return;
    const double volts = *r.voltageTenths / 10.0;
    w.chart->add(volts);
    // The two-sensor pages have always shown the word as a signed one.
    w.voltage->setText(style_.signedVoltage
                           ? padded(static_cast<std::int16_t>(*r.voltageTenths) / 10.0)
                           : PageFormat::general(volts) + "  мВ");
    showText(w.concentration,
             r.measuring() ? padded(*r.concentration / 100.0) : PageFormat::NotValid);
}

void CatalyticSensor::sendSingle(std::uint8_t code) {
    if (style_.sequenced)
        exchange_.queueSequence(address(), {code});
    else
        exchange_.loadCommand(address(), code);
}

void CatalyticSensor::switchOn() {
    exchange_.queueSequence(address(), reads_.after(C::On));
}
void CatalyticSensor::switchOff() {
    sendSingle(C::Off);
}
void CatalyticSensor::selectGas() {
    exchange_.queueSequence(address(), reads_.after(C::GasChoice));
}
void CatalyticSensor::adjustZero() {
    const Frame &last = exchange_.ReplyFrame;
    if (last[0] == block_ && (last[2] & SensorStatus::On))
        exchange_.queueSequence(address(), reads_.after(C::Zero));
}
void CatalyticSensor::enterSetUp() {
    sendSingle(C::SetUp);
}
void CatalyticSensor::reset() {
    exchange_.queueSequence(address(), reads_.after(C::Reset));
}
void CatalyticSensor::readParameters() {
    exchange_.queueSequence(address(), reads_);
}
void CatalyticSensor::applyAir() {
    exchange_.queueSequence(address(), {C::AirPoint, C::ReadVoltages});
}
void CatalyticSensor::applyGas() {
    exchange_.queueSequence(address(), {C::GasPoint, C::ReadVoltages});
}

void CatalyticSensor::save() {
    if (style_.sequenced)
        exchange_.queueAssured(address(), {C::Save});
    else
        exchange_.loadAssured(address(), C::Save);
}

void CatalyticSensor::writeUpper() {
    write(C::WriteUpper, w.calibrationGas, w.threshold1);
}
void CatalyticSensor::writeLower() {
    write(C::WriteLower, w.threshold2, w.offThreshold);
}

void CatalyticSensor::write(std::uint8_t code, const ValueField *first, const ValueField *second) {
    // Both fields are converted before anything reaches the frame.
    std::optional<WriteData> data = pairToWrite(first, second, messages_);
    if (!data)
        return;
    if (style_.sequenced)
        exchange_.queueAssured(address(), {code}, *data);
    else
        exchange_.loadAssured(address(), code, *data);
}

void CatalyticSensor::fillDefaults() {
    std::optional<CatalyticDefaults> values = style_.fixedGas;
    const QString gas = w.parameters->title();
    if (!values && gas == SensorIndicators::gasName(false))
        values = MethaneDefaults;
    if (!values && gas == SensorIndicators::gasName(true))
        values = PropaneDefaults;
    if (!values)
        return;
    ValueField *fields[] = {w.calibrationGas, w.threshold1, w.threshold2, w.offThreshold};
    for (std::size_t i = 0; i < 4; ++i)
        fields[i]->showValue((*values)[i]);
}
