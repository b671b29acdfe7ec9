#include "LocaleNumbers.h"

#include <QLocale>
#include <QRegularExpression>

QString fixed(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString localized(QString text) {
    const QChar point = QLocale().decimalPoint().front();
    if (point == ',')
        return text;
    static const QRegularExpression decimal(QStringLiteral("(\\d),(\\d+)(?=[ \u00a0](%|мВ))"));
    return text.replace(decimal, QString("\\1") + point + "\\2");
}

QString inUnits(int value, int per) {
    if (per <= 0)
        per = 100;
    return fixed(double(value) / per, per >= 100 ? 2 : per >= 10 ? 1 : 0);
}
