#include "CalibrationHandler.h"

#include "GasControl.h"
#include "SensorHistoryHandler.h"
#include "TForm1.h"
#include "WindowPlacement.h"
#include "dialogs/Messages.h"
#include "mux/TForm2.h"
#include "pages/BasePage.h"
#include "protocol/InstrumentKind.h"
#include "protocol/SensorCodes.h"
#include "records/OutboxSender.h"
#include "records/RecordStore.h"
#include "workshop/CalibrationRun.h"
#include "workshop/CalibrationSetupFields.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/CylinderFields.h"
#include "workshop/JournalWindow.h"
#include "workshop/SensorHistoryWindow.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {
const char *const Caption = "Калибровка…";
// How long the window waits for a journal another program holds, and how
// soon it tries again with a record the journal did not take.
constexpr int BusyWaitMs = 200;
constexpr int RetryKeepMs = 5000;

// Where the button sits on each sensor page: in room the page leaves free.
struct Placement {
    int page;
    QRect where;
};
const Placement Placements[] = {
    // Above the chart, left of the version.
    {PageIndex::Tks, {312, 3, 180, 20}},
    {PageIndex::Pgs, {214, 3, 180, 20}},
    {PageIndex::OpticMethane, {264, 3, 180, 20}},
    // Under the settings buttons.
    {PageIndex::TksPgs, {4, 508, 376, 24}},
    {PageIndex::Hydrogen, {4, 508, 376, 24}},
    // Between the state group and the version.
    {PageIndex::Oxygen, {414, 2, 104, 22}},
};

QDate dateOf(const std::string &text) {
    return QDate::fromString(QString::fromStdString(text).left(10), Qt::ISODate);
}

SensorGas gasOf(std::uint8_t block, const Frame &lastReply) {
    switch (block) {
    case Block::Hydrogen:
        return SensorGas::Hydrogen;
    case Block::Oxygen:
        return SensorGas::Oxygen;
    case Block::OpticMethane:
        return SensorGas::Methane;
    default:
        // The catalytic and ПГС blocks say which gas they are set for.
        return lastReply[0] == block && (lastReply[2] & SensorStatus::Propane) ? SensorGas::Propane
                                                                               : SensorGas::Methane;
    }
}
} // namespace

CalibrationHandler::CalibrationHandler(TForm1 &form, Messages &messages, CalibrationRun &run)
    : QObject(&form), form_(form), messages_(messages), run_(run),
      path_(RecordStore::defaultPath()), outboxPath_(RecordStore::defaultPath()) {
    addButtons();
    last_ = new QLabel(form_.basePage);
    last_->setObjectName("lastCalibrationLabel");
    last_->setGeometry(4, 378, 201, 66);
    last_->setWordWrap(true);
    last_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto *journalButton = new QPushButton("Журнал калибровок…", form_.basePage);
    journalButton->setObjectName("journalButton");
    journalButton->setGeometry(4, 446, 201, 26);
    journalButton->setToolTip("Записи о калибровках: отбор, свидетельства, экспорт в CSV");
    connect(journalButton, &QPushButton::clicked, this, [this] {
        const bool identified = form_.ConnectionOpen && isAcceptedKind(form_.IdentifiedType);
        openJournal(identified ? form_.IdentifiedSerialNumber : 0);
    });
    reader_.setLocation(path_, outboxPath_);
    history_ = new SensorHistoryHandler(form_, messages_,
                                        [this] { return std::pair(path_, outboxPath_); });
    connect(&run_, &CalibrationRun::busyChanged, this, &CalibrationHandler::setBusy);
    connect(&run_, &CalibrationRun::finished, this,
            [this](const std::vector<CalibrationRecord> &records) {
                for (const CalibrationRecord &r : records)
                    keep(r);
            });
    retryKeep_ = new QTimer(this);
    retryKeep_->setObjectName("retryKeepTimer");
    retryKeep_->setSingleShot(true);
    retryKeep_->setInterval(RetryKeepMs);
    connect(retryKeep_, &QTimer::timeout, this, &CalibrationHandler::keepWaiting);
}

CalibrationHandler::~CalibrationHandler() {
    keepAside();
}

CalibrationWindow *CalibrationHandler::window() {
    if (window_)
        return window_;
    window_ = new CalibrationWindow(run_, messages_, &form_);
    window_->hide();
    // The register of cylinders is kept with the records.
    window_->setupFields->setStoreAccess(registerAccess());
    if (chooser_)
        window_->setFileChooser(*chooser_);
    window_->showWaiting(outboxWaiting_);
    window_->outboxLabel->setToolTip(sendError_);
    connect(window_->journalButton, &QPushButton::clicked, this, [this] { openJournal(0); });
    return window_;
}

JournalWindow *CalibrationHandler::journal() {
    if (journal_)
        return journal_;
    journal_ = new JournalWindow(messages_, &form_);
    journal_->hide();
    if (chooser_)
        journal_->setFileChooser(*chooser_);
    journal_->showWaiting(outboxWaiting_);
    journal_->outboxLabel->setToolTip(sendError_);
    journal_->reader().setServerAway(serverAway_);
    connect(journal_, &JournalWindow::sensorHistoryRequested, history_,
            &SensorHistoryHandler::open);
    connect(journal_, &JournalWindow::locationChangeRequested, this,
            &CalibrationHandler::journalLocationAsked);
    return journal_;
}

bool CalibrationHandler::journalShown() const {
    return journal_ && journal_->isVisible();
}

CylinderFields::StoreAccess CalibrationHandler::registerAccess() {
    return [this](bool make, QString *error) -> RecordStore * {
        const bool made = store_ || RecordStore::isServer(path_) || QFileInfo::exists(path_);
        return made || make ? store(error) : nullptr;
    };
}

void CalibrationHandler::setRecordsPath(const QString &path) {
    if (path == path_)
        return;
    path_ = path;
    startOutbox();
    emit recordsPathChanged(path_);
}

void CalibrationHandler::setOutboxPath(const QString &path) {
    if (path == outboxPath_)
        return;
    outboxPath_ = path;
    startOutbox();
}

void CalibrationHandler::startOutbox() {
    sender_.reset();
    store_.reset();
    benchChecked_ = false;
    reader_.setLocation(path_, outboxPath_);
    reader_.setServerAway(false);
    serverAway_ = false;
    showWaiting(0);
    if (!RecordStore::isServer(path_))
        return;
    sender_ = std::make_unique<OutboxSender>(outboxPath_, path_);
    connect(sender_.get(), &OutboxSender::counted, this, &CalibrationHandler::showWaiting);
    connect(sender_.get(), &OutboxSender::recordSent, this,
            [this](qint64 benchNumber, qint64 serverNumber) {
                if (window_)
                    window_->showSent(benchNumber, serverNumber);
            });
    connect(sender_.get(), &OutboxSender::passEnded, this,
            [this](bool answered, const QString &error) {
                // While the server is away, what is read comes from the bench at once.
                reader_.setServerAway(!answered);
                serverAway_ = !answered;
                sendError_ = error;
                emit serverAnswered(answered);
                history_->setServerAway(!answered);
                if (journal_) {
                    journal_->reader().setServerAway(!answered);
                    journal_->outboxLabel->setToolTip(error);
                }
                if (window_)
                    window_->outboxLabel->setToolTip(error);
            });
}

void CalibrationHandler::showWaiting(qint64 waiting) {
    outboxWaiting_ = waiting;
    if (window_)
        window_->showWaiting(waiting);
    if (journal_)
        journal_->showWaiting(waiting);
}

void CalibrationHandler::setFileChooser(FileChooser &chooser) {
    chooser_ = &chooser;
    if (window_)
        window_->setFileChooser(chooser);
    if (journal_)
        journal_->setFileChooser(chooser);
}

void CalibrationHandler::checkBench() {
    const QString own = sender_ ? outboxPath_ : path_;
    // Nothing is made by looking; a server's journal is no bench's own.
    if (benchChecked_ || RecordStore::isServer(own) || (!store_ && !QFileInfo::exists(own)))
        return;
    QString error;
    RecordStore *s = store(&error);
    // A journal that does not open says so when a record is kept.
    if (!s)
        return;
    benchChecked_ = true;
    const BenchStanding standing = s->standing();
    if (!standing.doubtful())
        return;
    if (!messages_.confirm(standing.note +
                           "\n\nЗавести этому рабочему месту новый номер? Записи журнала "
                           "останутся как есть, новые пойдут под новым номером. Если нет, новые "
                           "записи сохраняются только в этом журнале и на сервер не отправляются."))
        return;
    const std::optional<std::string> id = s->takeNewBench(&error);
    if (!id)
        return messages_.error(error);
    messages_.information(
        QString("Рабочему месту заведён новый номер %1: новые записи идут под ним.")
            .arg(QString::fromStdString(*id)));
    if (sender_)
        sender_->wake();
}

void CalibrationHandler::openJournal(int serial) {
    checkBench();
    JournalWindow &shown = *journal();
    shown.setRecordsPath(path_, outboxPath_);
    if (serial > 0)
        shown.setSerial(serial);
    shown.showRecords();
    showInScreen(shown);
}

void CalibrationHandler::setGasControl(GasControl *control) {
    gasControl_ = control;
    connect(&run_, &CalibrationRun::changed, this, [this] {
        const CalibrationProcedure *p = run_.procedure();
        if (!gasControl_ || !p || !run_.busy() || p->step().instruction == followedStep_)
            return;
        followedStep_ = p->step().instruction;
        if (p->step().gas != TestGas::Ambient)
            gasControl_->choose(p->step().gas);
    });
}

void CalibrationHandler::addButtons() {
    for (const Placement &p : Placements) {
        QWidget *page = form_.TabSheets[std::size_t(p.page)];
        auto *b = new QPushButton(QString::fromUtf8(Caption), page);
        b->setObjectName(QString("CalibrationButton%1").arg(p.page));
        b->setGeometry(p.where);
        b->setToolTip("Проверить и откалибровать датчик по шагам, с записью в журнал и "
                      "свидетельством");
        connect(b, &QPushButton::clicked, this, [this, page = p.page] { openWindow(page); });
        buttons_.push_back(b);
    }
}

RecordStore *CalibrationHandler::store(QString *error) {
    if (!store_) {
        auto s = std::make_unique<RecordStore>();
        // A journal another program holds is tried again later (keepWaiting()).
        s->setBusyTimeout(BusyWaitMs);
        if (!s->open(sender_ ? outboxPath_ : path_, error))
            return nullptr;
        store_ = std::move(s);
    }
    return store_.get();
}

void CalibrationHandler::openWindow(int page) {
    if (run_.busy()) {
        showInScreen(*window());
        return;
    }
    if (form_.settingsBusy())
        return messages_.information("Обмен настройками с прибором уже идёт: дождитесь его конца.");
    if (form_.standRun()->busy())
        return messages_.information("Идёт калибровка стенда: дождитесь её конца.");
    const InstrumentKind *kind = findInstrumentKind(form_.IdentifiedType);
    if (!kind || PageIndex::blockOf(page) != kind->sensor.block)
        return messages_.error("Прибор не подключён: откройте его в списке «Устройства USB».");
    QString why;
    std::optional<CalibrationRecord> started = instrumentBase(&why);
    if (!started)
        return messages_.error(why);
    CalibrationRecord base = std::move(*started);
    for (int n = 1; n <= 32; ++n)
        if (form_.Form2->lampLit(n))
            base.standPosition = n;
    checkBench();
    busyPage_ = page;
    CalibrationWindow &shown = *window();
    shown.prepare(base, path_);
    if (recovery_ && recovery_->serial == base.serial && recovery_->block == base.block)
        shown.offerRecovery(*recovery_);
    showInScreen(shown);
}

std::optional<CalibrationRecord> CalibrationHandler::instrumentBase(QString *why) const {
    const InstrumentKind *kind = findInstrumentKind(form_.IdentifiedType);
    if (!form_.ConnectionOpen || !kind) {
        *why = "Прибор не подключён: откройте его в списке «Устройства USB».";
        return std::nullopt;
    }
    const CalibrationRules *rules = findCalibrationRules(kind->sensor.block);
    if (!rules) {
        *why = "Для этого блока калибровка не предусмотрена.";
        return std::nullopt;
    }
    CalibrationRecord base;
    base.deviceType = kind->deviceType;
    base.model = kind->model;
    base.serial = form_.IdentifiedSerialNumber;
    base.block = kind->sensor.block;
    base.sensorGas = gasOf(base.block, form_.exchange.ReplyFrame);
    base.perPercent = rules->perPercent;
    base.toolVersion = QCoreApplication::applicationVersion().toStdString();
    return base;
}

void CalibrationHandler::setBusy(bool busy) {
    holdPage(busyPage_, busy);
}

void CalibrationHandler::holdPage(int page, bool busy) {
    for (QPushButton *b : waiting_)
        b->setEnabled(true);
    waiting_.clear();
    if (!busy || page < 0)
        return;
    // The page's own commands wait: the procedure has the line.
    for (QPushButton *b : form_.TabSheets[std::size_t(page)]->findChildren<QPushButton *>())
        if (b->isEnabled() && std::find(buttons_.begin(), buttons_.end(), b) == buttons_.end()) {
            b->setEnabled(false);
            waiting_.push_back(b);
        }
}

void CalibrationHandler::keep(const CalibrationRecord &finished) {
    CalibrationRecord record = finished;
    const bool good = record.outcome == CalibrationOutcome::PassedAsFound ||
                      record.outcome == CalibrationOutcome::Adjusted;
    const CalibrationRules *rules = findCalibrationRules(record.block);
    const QDate day = dateOf(record.when);
    if (good && rules && day.isValid())
        record.nextDue = day.addDays(rules->intervalDays).toString(Qt::ISODate).toStdString();
    unkept_.push_back(std::move(record));
    keepWaiting();
}

// Keeps the records that wait, oldest first. One the journal does not take
// now (another program holds it, the disk is full) stays here and is tried
// again every few seconds; the window says so meanwhile. Nothing on the
// window's thread waits for the journal longer than a moment.
void CalibrationHandler::keepWaiting() {
    while (!unkept_.empty()) {
        CalibrationRecord record = unkept_.front();
        QString error;
        RecordStore *s = store(&error);
        std::optional<std::int64_t> number;
        if (s)
            number = s->add(record, &error);
        if (!number) {
            if (!record.batch.empty())
                emit batchRecordWaiting(record, error, int(unkept_.size()));
            else
                window()->showUnkept(record, error, RetryKeepMs / 1000);
            retryKeep_->start();
            return;
        }
        unkept_.pop_front();
        // The record as the journal holds it, check sum and all: the window's
        // certificate is the one the journal prints.
        if (const std::optional<CalibrationRecord> kept = s->find(*number))
            record = *kept;
        else
            record.number = *number;
        if (sender_) {
            // On this bench until the server takes it: known by the bench's id and number.
            record.number = 0;
            sender_->wake();
        }
        if (!record.batch.empty())
            emit batchRecordKept(record, int(unkept_.size()));
        else
            // Kept in a copied or restored journal, it stays here.
            window()->showKept(
                record, QString(), s->standing().doubtful() ? s->standing().note : QString(),
                s->headError().isEmpty()
                    ? QString()
                    : "Этот компьютер не запомнил последнюю запись рабочего места: " +
                          s->headError() + ".");
        if (journalShown())
            journal_->showRecords();
        if (record.serial == form_.IdentifiedSerialNumber)
            showLastCalibration();
    }
}

void CalibrationHandler::keepAside() {
    if (unkept_.empty())
        return;
    // The program ends with records the journal would not take: they go
    // into a journal of their own beside it, whole, rather than be lost.
    const QString aside =
        QFileInfo(sender_ ? outboxPath_ : path_).absolutePath() +
        QDateTime::currentDateTime().toString("/'records-aside-'yyyyMMdd-HHmmss'.sqlite'");
    RecordStore store;
    QString error;
    bool kept = store.open(aside, &error);
    for (const CalibrationRecord &r : unkept_)
        kept = kept && store.add(r, &error).has_value();
    std::fprintf(
        stderr, "%s\n",
        qPrintable(kept ? QString("Записи, не принятые журналом (%1), сохранены в %2")
                              .arg(unkept_.size())
                              .arg(aside)
                        : QString("Записи, не принятые журналом, не сохранены: %1").arg(error)));
}

void CalibrationHandler::showLastCalibration() {
    // The journal is made by the first record, not by looking. A server's
    // answer may come later: it is shown if the instrument is still the one.
    const int serial = form_.IdentifiedSerialNumber;
    reader_.of(serial, [this, serial](JournalReader::Read read) {
        if (serial == form_.IdentifiedSerialNumber)
            showLastCalibration(read);
    });
}

void CalibrationHandler::showLastCalibration(const JournalReader::Read &read) {
    if (!read.made) {
        last_->setText("Калибровок в журнале нет.");
        last_->setPalette(form_.basePage->palette());
        return;
    }
    const std::optional<CalibrationRecord> r =
        read.records.empty() ? std::nullopt : std::optional(read.records.back());
    bool alarm = false;
    QString text;
    if (!read.error.isEmpty()) {
        text = "Журнал калибровок недоступен.";
        alarm = true;
    } else if (!r) {
        text = "Калибровок в журнале нет.";
    } else {
        const QDate due = dateOf(r->nextDue);
        const bool good = r->outcome == CalibrationOutcome::PassedAsFound ||
                          r->outcome == CalibrationOutcome::Adjusted;
        alarm = !good || !due.isValid() || due < QDate::currentDate();
        text = QString("Последняя калибровка: %1, %2.")
                   .arg(dateOf(r->when).toString("dd.MM.yyyy"),
                        QString::fromStdString(outcomeText(r->outcome)));
        if (due.isValid())
            text += QString(" Следующая — до %1%2.")
                        .arg(due.toString("dd.MM.yyyy"),
                             due < QDate::currentDate() ? QString(", срок прошёл") : QString());
        else
            text += " Требуется калибровка.";
    }
    recovery_.reset();
    if (r && leftInSetUp(*r)) {
        // The block may still hold what the lost connection left in it.
        recovery_ = *r;
        text += " Связь прервалась во время настройки: блок мог остаться в режиме настройки с "
                "изменёнными точками. Нажмите «Калибровка…», чтобы сбросить блок и прочитать его "
                "точки.";
        alarm = true;
    }
    QString reason;
    if (const QString note = SensorHistoryHandler::endOfLifeNote(read.records, &reason);
        !note.isEmpty()) {
        text += " " + note;
        alarm = true;
    }
    if (!read.note.isEmpty())
        text += " " + read.note + ".";
    last_->setToolTip(reason);
    last_->setText(text);
    QPalette p = last_->palette();
    p.setColor(QPalette::WindowText, alarm ? QColor(0xFF, 0, 0) : QColor(0, 0, 0));
    last_->setPalette(p);
}
