#include "SnapshotJson.h"

#include "JsonKeys.h"
#include "protocol/InstrumentKind.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {
constexpr const char *Format = "ze23-settings";
constexpr int FormatVersion = 1;

enum class Number { Whole, None, Fraction, TooBig };

// Its range is looked at before anything converts it: 2.3e65 fits no integer type.
Number kindOf(const QJsonValue &v) {
    if (!v.isDouble())
        return Number::None;
    const double d = v.toDouble();
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        return Number::TooBig;
    return std::trunc(d) == d ? Number::Whole : Number::Fraction;
}

// A whole number that fits an int, or nothing.
std::optional<int> wholeNumber(const QJsonValue &v) {
    if (kindOf(v) != Number::Whole)
        return std::nullopt;
    return static_cast<int>(v.toDouble());
}

// Why a setting's "value" is not one the block could hold at all.
QString badValue(const std::string &block, const QString &key, const QJsonValue &v) {
    const QString name = "«" + QString::fromStdString(block) + "." + key + "»";
    const QString shown = QString::number(v.toDouble(), 'g', 15);
    switch (kindOf(v)) {
    case Number::None:
        return "у настройки " + name + " нет числового значения";
    case Number::Fraction:
        return "значение настройки " + name + " (" + shown + ") не целое";
    case Number::TooBig:
        break;
    case Number::Whole:
        return {};
    }
    const BlockLayout *layout = blockSettingsNamed(block);
    if (const SettingLayout *s = layout ? layout->find(key.toStdString()) : nullptr)
        return QString("значение настройки %1 (%2) вне допустимого: от %3 до %4")
            .arg(name, shown)
            .arg(s->min)
            .arg(s->max);
    return "значение настройки " + name + " (" + shown + ") не помещается ни в одну настройку";
}

// A name the file gives twice where the snapshot is read from, in the
// technician's words; empty for a repeat in a part the snapshot does not use.
QString repeatText(const JsonKeys::Repeat &r, const QJsonObject &root) {
    const std::vector<JsonKeys::Step> &path = r.path;
    const QString key = "«" + r.key + "»";
    if (path.empty())
        return "поле " + key + " указано в файле дважды";
    if (path[0].key != "blocks" || path.size() < 2 || path[1].index < 0)
        return {};
    const int i = path[1].index;
    const QString name = root["blocks"].toArray().at(i).toObject()["block"].toString();
    const QString block = name.isEmpty() ? QString("№ %1").arg(i + 1) : "«" + name + "»";
    if (path.size() == 2)
        return r.key == "block" ? QString("имя блока № %1 указано в файле дважды").arg(i + 1)
                                : "поле " + key + " блока " + block + " указано в файле дважды";
    if (path[2].key != "settings")
        return {};
    if (path.size() == 3)
        return "настройка «" + name + "." + r.key + "» указана в файле дважды";
    if (path.size() == 4)
        return "поле " + key + " настройки «" + name + "." + path[3].key +
               "» указано в файле дважды";
    return {};
}
} // namespace

QByteArray SnapshotJson::toJson(const InstrumentSnapshot &snapshot) {
    QJsonObject root;
    root["format"] = Format;
    root["formatVersion"] = FormatVersion;
    root["kind"] = snapshot.kind;
    if (const InstrumentKind *kind = findInstrumentKind(static_cast<std::uint8_t>(snapshot.kind)))
        root["model"] = QString::fromUtf8(kind->model);
    root["serialNumber"] = snapshot.serialNumber;
    QJsonArray blocks;
    for (const BlockSnapshot &b : snapshot.blocks) {
        QJsonObject block;
        block["block"] = QString::fromStdString(b.name);
        const BlockLayout *layout = blockSettingsNamed(b.name);
        if (layout)
            block["address"] = "0x" + QString::number(layout->address(), 16).toUpper();
        if (b.version)
            block["version"] = *b.version;
        QJsonObject settings;
        for (const auto &[key, value] : b.values) {
            QJsonObject setting;
            setting["value"] = value;
            if (const SettingLayout *s = layout ? layout->find(key) : nullptr)
                setting["unit"] = QString::fromUtf8(s->unit);
            settings[QString::fromStdString(key)] = setting;
        }
        block["settings"] = settings;
        blocks.append(block);
    }
    root["blocks"] = blocks;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<InstrumentSnapshot> SnapshotJson::fromJson(const QByteArray &json, QString &error) {
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (doc.isNull()) {
        error = "файл не в формате JSON: " + parse.errorString();
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (root["format"].toString() != Format || root["formatVersion"].toInt() != FormatVersion) {
        error = "это не файл настроек ЗЭ-23 (формат " + QString(Format) + ", версия " +
                QString::number(FormatVersion) + ")";
        return std::nullopt;
    }
    // The document keeps one of two equal names; which one the file meant is anybody's guess.
    for (const JsonKeys::Repeat &r : JsonKeys::repeats(json)) {
        error = repeatText(r, root);
        if (!error.isEmpty())
            return std::nullopt;
    }
    InstrumentSnapshot snapshot;
    const std::optional<int> kind = wholeNumber(root["kind"]);
    const std::optional<int> serial = wholeNumber(root["serialNumber"]);
    if (!kind || !serial || !root["blocks"].isArray()) {
        error = "в файле нет вида прибора, серийного номера или списка блоков";
        return std::nullopt;
    }
    snapshot.kind = *kind;
    snapshot.serialNumber = *serial;
    for (const QJsonValue &v : root["blocks"].toArray()) {
        const QJsonObject block = v.toObject();
        BlockSnapshot b;
        b.name = block["block"].toString().toStdString();
        if (b.name.empty() || !block["settings"].isObject()) {
            error = "блок без имени или без настроек";
            return std::nullopt;
        }
        if (snapshot.block(b.name)) {
            error = "блок «" + QString::fromStdString(b.name) + "» указан в файле дважды";
            return std::nullopt;
        }
        if (block.contains("version"))
            b.version = wholeNumber(block["version"]);
        const QJsonObject settings = block["settings"].toObject();
        for (auto it = settings.begin(); it != settings.end(); ++it) {
            const QJsonValue v = it.value().toObject()["value"];
            const std::optional<int> value = wholeNumber(v);
            if (!value) {
                error = badValue(b.name, it.key(), v);
                return std::nullopt;
            }
            // Two names that differ only where UTF-8 cannot tell them apart.
            if (!b.values.emplace(it.key().toStdString(), *value).second) {
                error = QString("настройка «%1.%2» указана в файле дважды")
                            .arg(QString::fromStdString(b.name), it.key());
                return std::nullopt;
            }
        }
        snapshot.blocks.push_back(std::move(b));
    }
    return snapshot;
}
