#include "JobReport.h"

#include "files/ShownPath.h"
#include "protocol/InstrumentKind.h"
#include "settings/SettingTexts.h"
#include "settings/SnapshotJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

QString identity(const JobOutcome &o) {
    QString s = "вид " + QString::number(*o.kind);
    if (isAcceptedKind(static_cast<std::uint8_t>(*o.kind)))
        s += ", " + text(modelLine(*o.kind, o.serialNumber));
    return s;
}

// The error box's paragraphs on one line.
QString flat(const std::string &message) {
    return text(message).split('\n', Qt::SkipEmptyParts).join(' ');
}

QString change(const SettingChange &c) {
    QString s = changeText(c);
    if (!c.writable)
        s += " (задаёт сам блок, не записывается)";
    return s;
}

QString check(const InstrumentSession::Check &c) {
    QString s = settingName(c.block, c.value.key) + " = " + QString::number(c.value.wanted) + " " +
                verdict(c.value);
    if (c.value.confirmed())
        return s;
    return s + " (" +
           (c.value.readBack ? "блок вернул " + QString::number(*c.value.readBack)
                             : QString("не прочитано")) +
           ")";
}

QString outcomeText(const JobOrder &order, const JobOutcome &o) {
    QStringList parts;
    if (!o.refusals.empty()) {
        QStringList why;
        for (const std::string &r : o.refusals)
            why << text(r);
        parts << "файл не подходит: " + why.join("; ");
    }
    for (const InstrumentSession::Check &c : o.checks)
        parts << check(c);
    for (const SettingChange &c : o.changes)
        parts << change(c);
    if (!o.failure.empty()) {
        parts << "ошибка: " + flat(o.failure);
        return parts.join("; ");
    }
    switch (order.command) {
    case BenchCommand::Read:
        parts << "настройки записаны в " + shownPath(text(o.file));
        break;
    case BenchCommand::Diff:
        if (o.changes.empty() && o.refusals.empty())
            parts << "отличий от файла нет";
        break;
    case BenchCommand::Write:
        if (!o.refusals.empty())
            break;
        if (o.checks.empty())
            parts.prepend("записывать нечего");
        if (order.save)
            parts << (o.saved ? "сохранено" : "не сохранено: подтверждены не все значения");
        break;
    case BenchCommand::Stand:
        parts << "стенд переключён на канал " + QString::number(order.channel);
        break;
    case BenchCommand::Identify:
    case BenchCommand::List:
    case BenchCommand::Records:
    case BenchCommand::Certificate:
    case BenchCommand::Cylinders:
        break;
    }
    return parts.join("; ");
}

const char *commandName(BenchCommand c) {
    switch (c) {
    case BenchCommand::List:
        return "list";
    case BenchCommand::Identify:
        return "identify";
    case BenchCommand::Read:
        return "read";
    case BenchCommand::Diff:
        return "diff";
    case BenchCommand::Write:
        return "write";
    case BenchCommand::Stand:
        return "stand";
    case BenchCommand::Records:
        return "records";
    case BenchCommand::Certificate:
        return "certificate";
    case BenchCommand::Cylinders:
        return "cylinders";
    }
    return "";
}
} // namespace

QString JobReport::line(const JobOrder &order, const JobOutcome &outcome) {
    QString s = text(order.adapter) + ": ";
    if (outcome.kind)
        s += identity(outcome);
    const QString rest = outcomeText(order, outcome);
    if (outcome.kind && !rest.isEmpty())
        s += ": ";
    return s + rest;
}

QJsonObject JobReport::json(const JobOrder &order, const JobOutcome &o) {
    QJsonObject j;
    j["adapter"] = text(order.adapter);
    j["command"] = commandName(order.command);
    j["ok"] = o.ok;
    if (!o.failure.empty())
        j["error"] = flat(o.failure);
    if (o.kind) {
        j["kind"] = *o.kind;
        if (const InstrumentKind *kind = findInstrumentKind(static_cast<std::uint8_t>(*o.kind)))
            j["model"] = QString::fromUtf8(kind->model);
        j["serialNumber"] = o.serialNumber;
    }
    if (order.command == BenchCommand::Stand)
        j["channel"] = order.channel;
    if (!o.file.empty())
        j["file"] = text(o.file);
    else if (o.snapshot)
        j["snapshot"] = QJsonDocument::fromJson(SnapshotJson::toJson(*o.snapshot)).object();
    if (order.wanted) {
        QJsonArray refusals;
        for (const std::string &r : o.refusals)
            refusals.append(text(r));
        j["refusals"] = refusals;
        QJsonArray changes;
        for (const SettingChange &c : o.changes) {
            QJsonObject d{{"block", text(c.block)},
                          {"key", text(c.key)},
                          {"unit", c.unit},
                          {"file", c.wanted},
                          {"writable", c.writable}};
            d["instrument"] = c.now ? QJsonValue(*c.now) : QJsonValue();
            changes.append(d);
        }
        j[order.command == BenchCommand::Write ? "notWritten" : "differences"] = changes;
    }
    if (order.command == BenchCommand::Write) {
        QJsonArray values;
        for (const InstrumentSession::Check &c : o.checks) {
            QJsonObject v{{"block", text(c.block)},
                          {"key", text(c.value.key)},
                          {"wanted", c.value.wanted},
                          {"confirmed", c.value.confirmed()}};
            v["readBack"] = c.value.readBack ? QJsonValue(*c.value.readBack) : QJsonValue();
            values.append(v);
        }
        j["values"] = values;
        if (order.save)
            j["saved"] = o.saved;
    }
    return j;
}
