#include "PageFormat.h"

#include <QLocale>

QLocale PageFormat::numbers() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QString PageFormat::general(double value) {
    return numbers().toString(value, 'g', 15);
}

QString PageFormat::fixed1(double value) {
    return fixed(value, 1);
}

QString PageFormat::fixed(double value, int decimals) {
    return numbers().toString(value, 'f', decimals);
}

QString PageFormat::version(std::uint8_t packed) {
    return QString("Версия %1.%2").arg(packed >> 4).arg(packed & 0x0F);
}

std::optional<std::int32_t> PageFormat::integer(const QString &text) {
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    int value = trimmed.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString PageFormat::notAnInteger(const QString &text) {
    return QString("'%1' is not a valid integer value").arg(text);
}
