#include "SettingTexts.h"

QString settingName(const std::string &block, const std::string &key) {
    return QString::fromStdString(block) + "." + QString::fromStdString(key);
}

QString changeText(const SettingChange &c) {
    QString text = settingName(c.block, c.key) + ": " +
                   (c.now ? QString::number(*c.now) : QString("не прочитано")) + " → " +
                   QString::number(c.wanted);
    if (c.unit && *c.unit)
        text += " [" + QString::fromUtf8(c.unit) + "]";
    return text;
}

QString verdict(const SettingsSession::Check &check) {
    return check.confirmed() ? "подтверждено" : "НЕ подтверждено";
}
