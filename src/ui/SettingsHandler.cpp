#include "SettingsHandler.h"

#include "SettingsRun.h"
#include "TForm1.h"
#include "dialogs/Messages.h"
#include "files/AtomicSave.h"
#include "protocol/InstrumentKind.h"
#include "protocol/InstrumentSession.h"
#include "settings/SettingTexts.h"
#include "settings/SnapshotJson.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

namespace {
const char *const SaveCaption = "Сохранить настройки…";
const char *const LoadCaption = "Загрузить настройки…";
const char *const Filter = "Настройки ЗЭ-23 (*.json)";

// Where the two buttons sit on each sensor page: in room the page leaves free.
struct Placement {
    int page;
    QRect save, load;
    // A narrower face, where the free room is narrower than the captions.
    bool narrow = false;
};
const Placement Placements[] = {
    // Under the chart, beside "СБРОС".
    {PageIndex::Tks, {312, 508, 180, 28}, {496, 508, 180, 28}},
    {PageIndex::Pgs, {312, 508, 180, 28}, {496, 508, 180, 28}},
    // Under the ПГС sensor's state.
    {PageIndex::TksPgs, {4, 478, 186, 26}, {194, 478, 186, 26}},
    {PageIndex::Hydrogen, {4, 478, 186, 26}, {194, 478, 186, 26}},
    // Under "ВКЛ." and "ОТКЛ.", above the frame trace.
    {PageIndex::OpticMethane, {4, 262, 250, 26}, {4, 294, 250, 26}},
    // Under the LMP91000 group.
    {PageIndex::Oxygen, {0, 515, 110, 25}, {112, 515, 110, 25}, true},
};

QString text(const std::string &s) {
    return QString::fromStdString(s);
}

QString fileName(const QString &path) {
    return "«" + QDir::toNativeSeparators(path) + "»";
}

QString change(const SettingChange &c) {
    return "    " + changeText(c);
}

QString checkLine(const InstrumentSession::Check &c) {
    const SettingsSession::Check &v = c.value;
    return QString("    %1: записано %2, прочитано %3 — %4")
        .arg(settingName(c.block, v.key), QString::number(v.wanted),
             v.readBack ? QString::number(*v.readBack) : QString("ничего"), verdict(v));
}

} // namespace

SettingsHandler::SettingsHandler(TForm1 &form, Messages &messages, SettingsRun &run)
    : QObject(&form), form_(form), messages_(messages), run_(run), folder_(QDir::homePath()) {
    addButtons();
    connect(&run_, &SettingsRun::busyChanged, this, &SettingsHandler::setBusy);
}

void SettingsHandler::addButtons() {
    for (const Placement &p : Placements) {
        QWidget *page = form_.TabSheets[static_cast<std::size_t>(p.page)];
        const auto add = [&](const char *name, const char *caption, const QRect &where,
                             const char *tip) {
            auto *b = new QPushButton(QString::fromUtf8(caption), page);
            b->setObjectName(QString("%1%2").arg(name).arg(p.page));
            b->setGeometry(where);
            b->setToolTip(QString::fromUtf8(tip));
            if (p.narrow) {
                QFont f = b->font();
                f.setPixelSize(10);
                f.setStretch(80);
                b->setFont(f);
            }
            buttons_.push_back(b);
            return b;
        };
        QPushButton *save = add("SaveSettingsButton", SaveCaption, p.save,
                                "Прочитать настройки прибора и сохранить их в файл");
        QPushButton *load = add("LoadSettingsButton", LoadCaption, p.load,
                                "Записать в прибор настройки из файла, сохранённого ранее");
        connect(save, &QPushButton::clicked, this, &SettingsHandler::saveSettings);
        connect(load, &QPushButton::clicked, this, [this, index = p.page] { loadSettings(index); });
    }
}

void SettingsHandler::setBusy(bool busy) {
    for (QPushButton *b : buttons_)
        b->setEnabled(!busy);
}

std::optional<SettingsHandler::Instrument> SettingsHandler::instrument() const {
    if (run_.busy()) {
        messages_.information("Обмен настройками с прибором уже идёт: дождитесь его конца.");
        return std::nullopt;
    }
    // A calibration has the line; settings written meanwhile would go to
    // the block it is changing.
    if (form_.calibrationBusy()) {
        messages_.information("Идёт калибровка: дождитесь её конца.");
        return std::nullopt;
    }
    if (!form_.ConnectionOpen || !isAcceptedKind(form_.IdentifiedType)) {
        messages_.error("Прибор не подключён: откройте его в списке «Устройства USB».");
        return std::nullopt;
    }
    return Instrument{form_.IdentifiedType, form_.IdentifiedSerialNumber};
}

bool SettingsHandler::stillConnectedTo(const Instrument &instrument) const {
    return form_.ConnectionOpen && form_.IdentifiedType == instrument.kind &&
           form_.IdentifiedSerialNumber == instrument.serialNumber;
}

void SettingsHandler::reread(int page) {
    if (form_.ConnectionOpen && form_.activePage() == page)
        form_.readPage(page);
}

// --- saving ---

void SettingsHandler::saveSettings() {
    const std::optional<Instrument> at = instrument();
    if (!at)
        return;
    run_.start(InstrumentSession::read(at->kind, at->serialNumber),
               [this](const InstrumentSession &read, bool dropped) { saveRead(read, dropped); });
}

void SettingsHandler::saveRead(const InstrumentSession &read, bool dropped) {
    if (dropped) {
        messages_.error(
            "Чтение настроек прервано: соединение с прибором закрыто. Файл не записан.");
        return;
    }
    if (read.failed()) {
        messages_.error("Не удалось прочитать настройки прибора: " + text(read.failure()) +
                        ". Файл не записан.");
        return;
    }
    const InstrumentSnapshot snapshot = read.snapshot();
    const QString name = QString("Настройки-%1").arg(snapshot.serialNumber) +
                         QDateTime::currentDateTime().toString("-yyyy-MM-dd-HHmm") + ".json";
    const QString path = chooser_->saveFileName(&form_, "Сохранить настройки прибора",
                                                QDir(folder_).filePath(name), Filter);
    if (path.isEmpty())
        return;
    const QString reason = saveAtomically(path, SnapshotJson::toJson(snapshot));
    if (!reason.isEmpty()) {
        messages_.error(QString("Не удалось сохранить файл %1: %2.").arg(fileName(path), reason));
        return;
    }
    folder_ = QFileInfo(path).absolutePath();
}

// --- loading ---

void SettingsHandler::loadSettings(int page) {
    const std::optional<Instrument> at = instrument();
    if (!at)
        return;
    const QString path =
        chooser_->openFileName(&form_, "Загрузить настройки в прибор", folder_, Filter);
    if (path.isEmpty())
        return;
    folder_ = QFileInfo(path).absolutePath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        messages_.error(
            QString("Не удалось прочитать файл %1: %2.").arg(fileName(path), file.errorString()));
        return;
    }
    QString error;
    const std::optional<InstrumentSnapshot> wanted = SnapshotJson::fromJson(file.readAll(), error);
    if (!wanted) {
        messages_.error(QString("Файл %1 не подходит: %2.").arg(fileName(path), error));
        return;
    }
    // The dialog may have taken long enough for the connection to end.
    if (!stillConnectedTo(*at)) {
        messages_.error("Соединение с прибором закрыто: ничего не записано.");
        return;
    }
    const std::vector<std::string> why = refusals(*wanted, at->kind);
    if (!why.empty()) {
        QString text =
            QString("Настройки из файла %1 нельзя записать в этот прибор:").arg(fileName(path));
        for (const std::string &reason : why)
            text += "\n    " + QString::fromStdString(reason);
        messages_.error(text + "\nНичего не записано.");
        return;
    }
    run_.start(InstrumentSession::read(at->kind, at->serialNumber),
               [this, page, wanted = *wanted, path](const InstrumentSession &read, bool dropped) {
                   loadRead(read, dropped, page, wanted, path);
               });
}

void SettingsHandler::loadRead(const InstrumentSession &read, bool dropped, int page,
                               const InstrumentSnapshot &wanted, const QString &file) {
    if (dropped) {
        messages_.error(
            "Чтение настроек прервано: соединение с прибором закрыто. Ничего не записано.");
        return;
    }
    if (read.failed()) {
        messages_.error("Не удалось прочитать настройки прибора: " + text(read.failure()) +
                        ". Ничего не записано.");
        return;
    }
    const InstrumentSnapshot now = read.snapshot();
    const std::vector<SettingChange> changes = differences(now, wanted);
    if (changes.empty()) {
        messages_.information(QString("Настройки прибора уже совпадают с файлом %1: записывать "
                                      "нечего.")
                                  .arg(fileName(file)));
        return;
    }
    QStringList writable, unwritableLines;
    std::vector<SettingChange> unwritable;
    for (const SettingChange &c : changes) {
        if (c.writable) {
            writable << change(c);
        } else {
            unwritableLines << change(c);
            unwritable.push_back(c);
        }
    }
    const QString setsItself =
        "Не записываются (блок задаёт их сам):\n" + unwritableLines.join('\n');
    if (writable.isEmpty()) {
        messages_.information(QString("Отличаются только значения, которые блок задаёт сам по "
                                      "газу на датчике; записать их нельзя:\n%1\nНичего не "
                                      "записано.")
                                  .arg(unwritableLines.join('\n')));
        return;
    }
    QString question = QString("Записать в прибор %1 настройки из файла %2?")
                           .arg(text(modelLine(now.kind, now.serialNumber)), fileName(file));
    if (wanted.serialNumber != now.serialNumber)
        question += QString("\nФайл снят с другого прибора: № %1.").arg(wanted.serialNumber);
    question += "\n\nБудут записаны (в приборе → из файла):\n" + writable.join('\n');
    if (!unwritable.empty())
        question += "\n" + setsItself;
    question += "\n\nКаждое значение будет прочитано обратно; сохранить настройки блокам будет "
                "велено, только если подтвердятся все.";
    const Instrument at{now.kind, now.serialNumber};
    if (!messages_.confirm(question))
        return;
    // The question may have stood open long enough for the connection to end.
    if (!stillConnectedTo(at) || run_.busy()) {
        messages_.error("Соединение с прибором закрыто или занято: ничего не записано.");
        return;
    }
    run_.start(InstrumentSession::write(now, wanted, true, InstrumentSession::Keeping::Written),
               [this, page, file, unwritable](const InstrumentSession &write, bool dropped) {
                   loadWritten(write, dropped, page, file, unwritable);
               });
}

void SettingsHandler::loadWritten(const InstrumentSession &write, bool dropped, int page,
                                  const QString &file,
                                  const std::vector<SettingChange> &unwritable) {
    QStringList lines;
    for (const InstrumentSession::Check &c : write.checks())
        lines << checkLine(c);
    if ((dropped && !write.finished()) || write.failed()) {
        const QString why =
            write.failed() ? text(write.failure()) : QString("соединение с прибором закрыто");
        QString report = "Запись настроек прервана: " + why + ".";
        if (!lines.isEmpty())
            report += "\n" + lines.join('\n');
        messages_.error(report +
                        "\nСохранение настроек в приборе не подтверждено: проверьте их, прочитав "
                        "заново.");
        reread(page);
        return;
    }
    QString report = QString("Запись настроек из файла %1:\n").arg(fileName(file));
    report += lines.isEmpty() ? QString("    ни одно значение не записано") : lines.join('\n');
    if (!unwritable.empty()) {
        QStringList names;
        for (const SettingChange &c : unwritable)
            names << settingName(c.block, c.key);
        report += "\nНе записывались (блок задаёт их сам): " + names.join(", ");
    }
    if (write.saved())
        report += "\nНастройки сохранены в приборе.";
    else if (!write.allConfirmed())
        report += "\nНе все значения подтверждены, поэтому блокам не велено сохранять "
                  "настройки: в приборе ничего не сохранено.";
    else
        report += "\nВ приборе ничего не сохранено.";
    messages_.information(report);
    reread(page);
}
