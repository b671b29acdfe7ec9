#pragma once
// How a setting and a change of it read, the same in the window's boxes and
// on the command line: "tks.threshold1", "tks.threshold1: 50 → 60 [0.01 %]",
// and whether a written value was confirmed.

#include "protocol/InstrumentSettings.h"
#include "protocol/SettingsSession.h"

#include <QString>

#include <string>

QString settingName(const std::string &block, const std::string &key);
// A value the instrument was not read for shows as "не прочитано".
QString changeText(const SettingChange &change);
// Whether a written value came back as written: "подтверждено" or "НЕ подтверждено".
QString verdict(const SettingsSession::Check &check);
