#include "SnapshotJson.h"

#include "protocol/InstrumentKind.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr const char *Format = "ze23-settings";
constexpr int FormatVersion = 1;

// A whole number that fits an int, or nothing.
std::optional<int> wholeNumber(const QJsonValue &v) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d != static_cast<double>(static_cast<long long>(d)) || d < -2147483648.0 ||
        d > 2147483647.0)
        return std::nullopt;
    return static_cast<int>(d);
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
        if (block.contains("version"))
            b.version = wholeNumber(block["version"]);
        const QJsonObject settings = block["settings"].toObject();
        for (auto it = settings.begin(); it != settings.end(); ++it) {
            const std::optional<int> value = wholeNumber(it.value().toObject()["value"]);
            if (!value) {
                error = QString("настройка «%1.%2» без целого значения")
                            .arg(QString::fromStdString(b.name), it.key());
                return std::nullopt;
            }
            b.values[it.key().toStdString()] = *value;
        }
        snapshot.blocks.push_back(std::move(b));
    }
    return snapshot;
}
