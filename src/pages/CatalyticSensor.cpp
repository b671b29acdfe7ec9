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
    showStatus(reply[2]);
    switch (reply[1]) {
    case C::ReadVoltages:
        w.uAir->setText(padded(signed16(reply, 3) / 10.0));
        w.uGas->setText(padded(signed16(reply, 5) / 10.0));
        break;
    case C::ReadCalibrationGas:
    case C::ReadThresholds:
        showSettings(*blockSettings(block_), reply,
                     {{"calibrationGas", w.calibrationGas},
                      {"threshold1", w.threshold1},
                      {"threshold2", w.threshold2},
                      {"offThreshold", w.offThreshold}});
        break;
    case C::On:
        w.version->setText(PageFormat::version(reply[6]));
        break;
    default:
        break;
    }
    if (C::carriesReadings(reply[1]))
        showReadings(reply);
}

void CatalyticSensor::showStatus(std::uint8_t status) {
    using namespace SensorIndicators;
    applyBits({power(w.power), mode(w.mode), settings(w.settings), circuit(w.circuit)}, status);
    showAlarms({offAlarm(w.offAlarm), alarm2(w.alarm2), alarm1(w.alarm1)}, status, status & On);
    if (!style_.fixedGas)
        w.parameters->setTitle(gasName(status));
}

void CatalyticSensor::showReadings(const Frame &reply) {
    const double volts = word16(reply, 5) / 10.0;
    w.chart->add(volts);
    w.voltage->setText(style_.signedVoltage ? padded(signed16(reply, 5) / 10.0)
                                            : PageFormat::general(volts) + "  мВ");
    const std::uint8_t status = reply[2];
    const bool measuring = (status & SensorStatus::On) && !(status & SensorStatus::SetUp);
    showText(w.concentration,
             measuring ? padded(signed16(reply, 3) / 100.0) : PageFormat::NotValid);
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
    if (!values && gas == SensorIndicators::gasName(0))
        values = MethaneDefaults;
    if (!values && gas == SensorIndicators::gasName(SensorStatus::Propane))
        values = PropaneDefaults;
    if (!values)
        return;
    ValueField *fields[] = {w.calibrationGas, w.threshold1, w.threshold2, w.offThreshold};
    for (std::size_t i = 0; i < 4; ++i)
        fields[i]->showValue((*values)[i]);
}
