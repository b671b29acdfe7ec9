#include "SemiconductorSensor.h"

#include "PageFormat.h"
#include "SensorIndicators.h"
#include "charts/StripChart.h"

SemiconductorSensor::SemiconductorSensor(ExchangeCycle &exchange, std::uint8_t block)
    : exchange_(exchange), address_(Block::address(block)) {}

void SemiconductorSensor::decode(const Frame &reply) {
    // Tenths of a millivolt: unsigned on the chart, signed on the panel.
    w.chart->add(word16(reply, 5) / 10.0);
    w.voltage->setText("  " + PageFormat::general(signed16(reply, 5) / 10.0));
    applyBits({SensorIndicators::power(w.power), SensorIndicators::circuit(w.circuit)}, reply[2]);
}

void SemiconductorSensor::switchOn() {
    exchange_.queueSequence(address_, {SemiconductorCode::On, SemiconductorCode::Poll});
}

void SemiconductorSensor::switchOff() {
    exchange_.queueSequence(address_, {SemiconductorCode::Off});
}
