#include "CalibrationContextFields.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

#include <cmath>

namespace {
struct Room {
    QLineEdit *CalibrationContextFields::*field;
    const char *what;
    int per, low, high;
    std::optional<int> Ambient::*value;
    const char *example;
    const char *it; // "её", "его": the value as the message names it
};
const Room Rooms[] = {
    {&CalibrationContextFields::temperatureEdit, "Температура воздуха", 10, -400, 600,
     &Ambient::temperature, "от -40 до 60 °C, например 21,5", "её"},
    {&CalibrationContextFields::pressureEdit, "Атмосферное давление", 10, 600, 1200,
     &Ambient::pressure, "от 60 до 120 кПа, например 101,3", "его"},
    {&CalibrationContextFields::humidityEdit, "Относительная влажность", 1, 0, 100,
     &Ambient::humidity, "от 0 до 100 %, например 45", "её"},
};
} // namespace

std::optional<int> roomValue(const QString &typed, int per, int low, int high, bool *ok) {
    QString t = typed.trimmed();
    *ok = true;
    if (t.isEmpty())
        return std::nullopt;
    t.replace(',', '.').replace(QChar(0x2212), '-');
    bool number = false;
    const double v = t.toDouble(&number);
    const double units = std::round(v * per);
    if (!number || !std::isfinite(v) || units < low || units > high ||
        std::abs(v * per - units) > 1e-6) {
        *ok = false;
        return std::nullopt;
    }
    return int(units);
}

CalibrationContextFields::CalibrationContextFields(QFormLayout *form, QWidget *parent) {
    const auto edit = [&](const char *name, const QString &label) {
        auto *e = new QLineEdit(parent);
        e->setObjectName(name);
        form->addRow(label, e);
        return e;
    };
    laboratoryEdit = edit("laboratoryEdit", "Лаборатория:");
    laboratoryAddressEdit = edit("laboratoryAddressEdit", "Адрес лаборатории:");
    approvedByEdit = edit("approvedByEdit", "Результат утверждает:");
    approvedByEdit->setPlaceholderText("можно оставить пустым и подписать от руки");
    auto *room = new QHBoxLayout;
    const std::pair<QLineEdit **, const char *> parts[] = {
        {&temperatureEdit, "°C"}, {&pressureEdit, "кПа"}, {&humidityEdit, "%"}};
    const char *names[] = {"temperatureEdit", "pressureEdit", "humidityEdit"};
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        auto *e = new QLineEdit(parent);
        e->setObjectName(names[i]);
        e->setMaximumWidth(70);
        e->setAccessibleName(QString("%1, %2").arg(Rooms[i].what, parts[i].second));
        *parts[i].first = e;
        room->addWidget(e);
        room->addWidget(new QLabel(parts[i].second, parent));
    }
    room->addStretch();
    form->addRow("В помещении:", room);
}

void CalibrationContextFields::prepare() {
    const QSettings s;
    laboratoryEdit->setText(s.value("laboratory/name").toString());
    laboratoryAddressEdit->setText(s.value("laboratory/address").toString());
    approvedByEdit->setText(s.value("calibration/approvedBy").toString());
    for (const Room &r : Rooms)
        (this->*r.field)->clear();
}

void CalibrationContextFields::remember() const {
    QSettings s;
    s.setValue("laboratory/name", laboratoryEdit->text().trimmed());
    s.setValue("laboratory/address", laboratoryAddressEdit->text().trimmed());
    s.setValue("calibration/approvedBy", approvedByEdit->text().trimmed());
}

bool CalibrationContextFields::fill(CalibrationRecord &record, QString *error) const {
    Ambient room;
    for (const Room &r : Rooms) {
        bool ok = false;
        room.*r.value = roomValue((this->*r.field)->text(), r.per, r.low, r.high, &ok);
        if (!ok) {
            *error = QString("%1 — число %2; или оставьте поле пустым, если %3 не измеряли.")
                         .arg(r.what, r.example, r.it);
            return false;
        }
    }
    record.ambient = room;
    record.laboratory = laboratoryEdit->text().simplified().toStdString();
    record.laboratoryAddress = laboratoryAddressEdit->text().simplified().toStdString();
    record.approvedBy = approvedByEdit->text().simplified().toStdString();
    return true;
}
