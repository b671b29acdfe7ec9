#include "SemiconductorSensor.h"

#include "PageFormat.h"
#include "SensorIndicators.h"
#include "charts/StripChart.h"

SemiconductorSensor::SemiconductorSensor(ExchangeCycle &exchange, std::uint8_t block)
    : exchange_(exchange), address_(Block::address(block)) {}

void SemiconductorSensor::decode(const Frame &reply) {
    const SemiconductorReply r = decodeSemiconductor(reply);
    // Tenths of a millivolt: unsigned on the chart, signed on the panel.
    w.chart->add(r.voltageTenths / 10.0);
    w.voltage->setText("  " +
                       PageFormat::general(static_cast<std::int16_t>(r.voltageTenths) / 10.0));
    applyAll({SensorIndicators::power(w.power, r.status.on),
              SensorIndicators::circuit(w.circuit, r.status.circuitFault)});
}

void SemiconductorSensor::switchOn() {
    exchange_.queueSequence(address_, {SemiconductorCode::On, SemiconductorCode::Poll});
}

void SemiconductorSensor::switchOff() {
    exchange_.queueSequence(address_, {SemiconductorCode::Off});
}
