#include "CalibrationWindow.h"

#include "LocaleNumbers.h"

#include "CalibrationContextFields.h"
#include "CalibrationRun.h"
#include "CalibrationSetupFields.h"
#include "CylinderFields.h"
#include "RuleFields.h"
#include "dialogs/Messages.h"
#include "export/FileChooser.h"
#include "records/Certificate.h"
#include "records/RecordLocation.h"
#include "records/RecordTexts.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {
using Action = CalibrationProcedure::Action;
using Waiting = CalibrationProcedure::Waiting;

struct ActionFace {
    Action action;
    const char *name;
    const char *caption;
};
const ActionFace Faces[] = {
    {Action::Ready, "readyButton", "Газ подан"},
    {Action::AcceptNow, "acceptNowButton", "Принять сейчас"},
    {Action::Adjust, "adjustButton", "Настроить"},
    {Action::Finish, "finishButton", "Завершить без настройки"},
    {Action::WriteGas, "writeGasButton", "Записать в блок"},
    {Action::KeepGas, "keepGasButton", "Оставить как есть"},
    {Action::Abort, "abortButton", "Прервать"},
};

QString text(const std::string &s) {
    return QString::fromStdString(s);
}

// A value in units of 1/`per`; "—" for none.
QString units(std::optional<int> value, int per) {
    return value ? inUnits(*value, per) : QString("—");
}

QString seconds(std::optional<double> value) {
    return value ? fixed(*value, 1) : QString("—");
}

void paint(QLabel *label, bool bad) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, bad ? QColor(0xC0, 0, 0) : QColor(0, 0x60, 0));
    label->setPalette(p);
}
} // namespace

CalibrationWindow::~CalibrationWindow() = default;

CalibrationWindow::CalibrationWindow(CalibrationRun &run, Messages &messages, QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window), run_(run), messages_(messages.of(this)) {
    setObjectName("calibrationWindow");
    setWindowTitle("Калибровка");
    resize(820, 900);
    auto *layout = new QVBoxLayout(this);
    instrumentLabel = new QLabel(this);
    instrumentLabel->setObjectName("instrumentLabel");
    QFont bold = instrumentLabel->font();
    bold.setBold(true);
    instrumentLabel->setFont(bold);
    recordsPathLabel = new QLabel(this);
    recordsPathLabel->setObjectName("recordsPathLabel");
    recordsPathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(instrumentLabel);
    layout->addWidget(recordsPathLabel);
    outboxLabel = new QLabel(this);
    outboxLabel->setObjectName("outboxLabel");
    paint(outboxLabel, true);
    layout->addWidget(outboxLabel);
    buildRecovery();
    layout->addWidget(recoveryGroup);
    buildSetup();
    // The set-up scrolls where the screen is short, and folds away once the
    // procedure has begun; "Начать" stays in sight under it.
    setupArea = new QScrollArea(this);
    setupArea->setObjectName("setupArea");
    setupArea->setWidget(setupGroup);
    setupArea->setWidgetResizable(true);
    setupArea->setFrameShape(QFrame::NoFrame);
    setupArea->setMinimumHeight(120);
    layout->addWidget(setupArea, 2);
    layout->addWidget(startButton, 0, Qt::AlignLeft);
    conditionsLabel = new QLabel(this);
    conditionsLabel->setObjectName("conditionsLabel");
    conditionsLabel->setWordWrap(true);
    conditionsLabel->hide();
    layout->addWidget(conditionsLabel);
    buildSteps();
    layout->addWidget(stepGroup, 1);

    auto *bottom = new QHBoxLayout;
    outcomeLabel = new QLabel(this);
    outcomeLabel->setObjectName("outcomeLabel");
    outcomeLabel->setWordWrap(true);
    outcomeLabel->setFont(bold);
    certificateButton = new QPushButton("Сохранить свидетельство…", this);
    certificateButton->setObjectName("certificateButton");
    certificateButton->setEnabled(false);
    journalButton = new QPushButton("Журнал…", this);
    journalButton->setObjectName("journalButtonInCalibration");
    journalButton->setToolTip("Открыть журнал калибровок");
    closeButton = new QPushButton("Закрыть", this);
    closeButton->setObjectName("closeButton");
    bottom->addWidget(outcomeLabel, 1);
    bottom->addWidget(certificateButton);
    bottom->addWidget(journalButton);
    bottom->addWidget(closeButton);
    layout->addLayout(bottom);

    connect(startButton, &QPushButton::clicked, this, &CalibrationWindow::startClicked);
    connect(certificateButton, &QPushButton::clicked, this, &CalibrationWindow::saveCertificate);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(&run_, &CalibrationRun::changed, this, &CalibrationWindow::refresh);
}

void CalibrationWindow::buildRecovery() {
    recoveryGroup = new QGroupBox("Прерванная настройка", this);
    recoveryGroup->setObjectName("recoveryGroup");
    auto *layout = new QVBoxLayout(recoveryGroup);
    recoveryLabel = new QLabel(recoveryGroup);
    recoveryLabel->setObjectName("recoveryLabel");
    recoveryLabel->setWordWrap(true);
    paint(recoveryLabel, true);
    recoveryButton = new QPushButton("Сбросить блок и прочитать его точки", recoveryGroup);
    recoveryButton->setObjectName("recoveryButton");
    recoveryButton->setToolTip("Код 16: блок возвращается к сохранённой настройке; что в нём "
                               "окажется, будет записано исправлением прерванной записи");
    layout->addWidget(recoveryLabel);
    layout->addWidget(recoveryButton, 0, Qt::AlignLeft);
    recoveryGroup->hide();
    connect(recoveryButton, &QPushButton::clicked, this, &CalibrationWindow::recoverClicked);
}

void CalibrationWindow::offerRecovery(const CalibrationRecord &interrupted) {
    interrupted_ = interrupted;
    recoveryLabel->setText(
        QString("Калибровка %1 (запись № %2) прервана потерей связи во время настройки: блок мог "
                "остаться в режиме настройки с изменёнными точками. Сбросьте его, прежде чем "
                "калибровать снова.")
            .arg(RecordTexts::dateTime(interrupted.when), RecordTexts::recordNumber(interrupted)));
    recoveryGroup->show();
}

void CalibrationWindow::recoverClicked() {
    if (run_.busy() || !interrupted_)
        return;
    CalibrationRecord record = *interrupted_;
    record.when = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    if (const QString who = technicianEdit->text().trimmed(); !who.isEmpty())
        record.technician = who.toStdString();
    const QString conditions = QString("Сброс блока после прерванной настройки (запись № %1).")
                                   .arg(RecordTexts::recordNumber(*interrupted_));
    interrupted_.reset();
    begin(conditions, CalibrationProcedure::recovery(record, run_.now()));
}

void CalibrationWindow::buildSetup() {
    setupGroup = new QGroupBox("Перед началом", this);
    setupGroup->setObjectName("setupGroup");
    auto *form = new QFormLayout(setupGroup);
    setupFields = std::make_unique<CalibrationSetupFields>(form, setupGroup);
    technicianEdit = setupFields->technicianEdit;
    context = setupFields->context.get();
    gasTabs = setupFields->gasTabs;
    cylinders = setupFields->cylinders;
    secondCylinders = setupFields->secondCylinders;
    ruleFields = setupFields->ruleFields.get();
    cylinderNumberEdit = cylinders->cylinderNumberEdit;
    cylinderGasEdit = cylinders->cylinderGasEdit;
    cylinderConcentrationEdit = cylinders->cylinderConcentrationEdit;
    cylinderExpiryEdit = cylinders->cylinderExpiryEdit;
    steadySecondsSpin = ruleFields->steadySecondsSpin;
    steadyBandEdit = ruleFields->steadyBandEdit;
    toleranceEdit = ruleFields->toleranceEdit;
    standLabel = new QLabel(setupGroup);
    standLabel->setObjectName("standLabel");
    form->addRow("Позиция стенда:", standLabel);
    startButton = new QPushButton("Начать", this);
    startButton->setObjectName("startButton");
}

void CalibrationWindow::buildSteps() {
    stepGroup = new QGroupBox("Калибровка", this);
    stepGroup->setObjectName("stepGroup");
    auto *layout = new QVBoxLayout(stepGroup);
    stepLabel = new QLabel(stepGroup);
    stepLabel->setObjectName("stepLabel");
    layout->addWidget(stepLabel);
    instructionLabel = new QLabel(stepGroup);
    instructionLabel->setObjectName("instructionLabel");
    instructionLabel->setWordWrap(true);
    QFont big = instructionLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    instructionLabel->setFont(big);
    layout->addWidget(instructionLabel);
    auto *readings = new QHBoxLayout;
    readingLabel = new QLabel(stepGroup);
    readingLabel->setObjectName("readingLabel");
    readingLabel->setFont(big);
    waitLabel = new QLabel(stepGroup);
    waitLabel->setObjectName("waitLabel");
    waitLabel->setWordWrap(true);
    readings->addWidget(readingLabel);
    readings->addWidget(waitLabel, 1);
    layout->addLayout(readings);
    confirmationsLabel = new QLabel(stepGroup);
    confirmationsLabel->setObjectName("confirmationsLabel");
    confirmationsLabel->setWordWrap(true);
    paint(confirmationsLabel, false);
    layout->addWidget(confirmationsLabel);

    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setLocalizeNumbers(true);
    // The tolerance first, so that the band and the reading lie over it.
    toleranceLow_ = new QLineSeries(chart_);
    toleranceHigh_ = new QLineSeries(chart_);
    tolerance_ = new QAreaSeries(toleranceHigh_, toleranceLow_);
    tolerance_->setName("Допуск");
    tolerance_->setColor(QColor(0x40, 0x90, 0xFF, 0x38));
    tolerance_->setBorderColor(QColor(0x40, 0x90, 0xFF, 0x90));
    reading_ = new QLineSeries(chart_);
    reading_->setName("Показание");
    reading_->setColor(Qt::red);
    bandLow_ = new QLineSeries(chart_);
    bandHigh_ = new QLineSeries(chart_);
    for (QLineSeries *band : {bandLow_, bandHigh_}) {
        QPen pen(QColor(0, 0x80, 0));
        pen.setStyle(Qt::DashLine);
        band->setPen(pen);
        band->setName("Устойчивость");
    }
    axisX_ = new QValueAxis(chart_);
    axisX_->setTitleText("с");
    axisY_ = new QValueAxis(chart_);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (QAbstractSeries *s :
         std::initializer_list<QAbstractSeries *>{tolerance_, reading_, bandLow_, bandHigh_}) {
        chart_->addSeries(s);
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }
    waitChart = new QChartView(chart_, stepGroup);
    waitChart->setObjectName("waitChart");
    waitChart->setMinimumHeight(160);
    layout->addWidget(waitChart, 1);

    auto *buttons = new QHBoxLayout;
    for (const ActionFace &f : Faces) {
        auto *b = new QPushButton(QString::fromUtf8(f.caption), stepGroup);
        b->setObjectName(f.name);
        b->hide();
        buttons->addWidget(b);
        actionButtons[int(f.action)] = b;
        connect(b, &QPushButton::clicked, this, [this, a = f.action] { run_.act(a); });
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    measurementsTable = new QTableWidget(0, 6, stepGroup);
    measurementsTable->setObjectName("measurementsTable");
    measurementsTable->setHorizontalHeaderLabels(
        {"Точка", "Проверка", "Ожидалось", "Показание", "До устойчивости, с", "Итог"});
    measurementsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    measurementsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    measurementsTable->setAccessibleName("Измерения");
    measurementsTable->setMinimumHeight(110);
    layout->addWidget(measurementsTable);
}

void CalibrationWindow::prepare(const CalibrationRecord &base, const QString &recordsPath) {
    base_ = base;
    rules_ = findCalibrationRules(base.block);
    kept_ = CalibrationRecord();
    isKept_ = false;
    started_ = false;
    instrumentLabel->setText(RecordTexts::instrument(base) + QString("   № %1").arg(base.serial));
    recordsPathLabel->setText("Журнал калибровок: " + RecordLocation::shown(recordsPath));
    standLabel->setText(base.standPosition ? QString::number(*base.standPosition)
                                           : QString("не выбрана"));
    setupFields->prepare(base);
    QLocale numbers;
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    chart_->setLocale(numbers);
    setupArea->show();
    startButton->show();
    recoveryGroup->hide();
    interrupted_.reset();
    conditionsLabel->hide();
    stepGroup->setEnabled(false);
    stepGroup->hide();
    instructionLabel->setText("Заполните поля и нажмите «Начать».");
    stepLabel->clear();
    confirmationsLabel->clear();
    readingLabel->clear();
    waitLabel->clear();
    measurementsTable->setRowCount(0);
    for (auto &[a, b] : actionButtons)
        b->hide();
    outcomeLabel->clear();
    certificateButton->setEnabled(false);
    drawChart();
}

void CalibrationWindow::startClicked() {
    if (run_.busy() || !rules_)
        return;
    QString refused;
    std::optional<CalibrationSetupFields::Filled> filled = setupFields->fill(&refused);
    if (!filled)
        return messages_.error(refused);
    setupFields->remember();
    const CalibrationRecord &record = filled->record;
    CalibrationProcedure procedure(record.block, record.sensorGas, record, run_.now());
    procedure.setRule(filled->rules.rule);
    procedure.setTolerance(filled->rules.tolerance);
    const QString conditions = localized(startConditions(procedure.record()).join("; ") + ".");
    begin(conditions, std::move(procedure));
}

void CalibrationWindow::begin(const QString &conditions, CalibrationProcedure procedure) {
    recoveryGroup->hide();
    setupArea->hide();
    startButton->hide();
    conditionsLabel->setText(conditions);
    conditionsLabel->show();
    stepGroup->setEnabled(true);
    stepGroup->show();
    started_ = true;
    run_.start(StandCalibration(std::move(procedure), run_.now()));
}

// The rule of the wait under way: the reading's as set, or in set-up mode
// the catalytic mid-point voltage's, in millivolts.
QString CalibrationWindow::waitRule(const CalibrationProcedure &p) const {
    const CalibrationRecord &r = p.record();
    if (p.liveUnit() == "%")
        return QString("за %1 с изменение менее %2 %")
            .arg(r.steady.windowSeconds)
            .arg(units(r.steady.band, r.perPercent));
    if (p.liveUnit() != "мВ" || !rules_)
        return RecordTexts::steadyRule(r);
    return QString("за %1 с изменение менее %2 мВ")
        .arg(rules_->signalSteady.windowSeconds)
        .arg(units(rules_->signalSteady.band, 10));
}

void CalibrationWindow::refresh() {
    const CalibrationProcedure *p = run_.procedure();
    if (!p || !started_)
        return;
    const CalibrationProcedure::Step &step = p->step();
    instructionLabel->setText(localized(text(step.instruction)));
    stepLabel->setText(step.number > 0 ? QString("Шаг %1 из %2").arg(step.number).arg(step.count)
                                       : QString());
    QStringList confirmed;
    for (const std::string &c : p->confirmations())
        confirmed << localized(text(c));
    confirmationsLabel->setText(confirmed.join('\n'));
    for (auto &[a, b] : actionButtons) {
        const bool offered =
            std::find(step.actions.begin(), step.actions.end(), Action(a)) != step.actions.end();
        b->setVisible(offered && run_.busy());
    }
    const std::optional<double> v = p->liveValue();
    // The ПГС converter value has no unit and no fraction.
    const QString unit = text(p->liveUnit());
    readingLabel->setText(
        v ? QString("%1 %2").arg(fixed(*v, unit.isEmpty() ? 0 : 2), unit).trimmed() : QString());
    QString wait;
    if (const auto w = p->steadyWait()) {
        wait = w->tooLong ? QString("Показание не устанавливается дольше %1 с: проверьте подачу "
                                    "газа или примите показание.")
                                .arg(int(w->secondsWaited))
                          : QString("Устойчиво через %1 с (%2)")
                                .arg(int(std::ceil(w->secondsLeft)))
                                .arg(waitRule(*p));
    } else if (step.waiting == Waiting::Block) {
        wait = "Ждём ответа блока…";
    }
    waitLabel->setText(wait);
    showMeasurements(p->record());
    drawChart();
    if (!run_.busy()) {
        const CalibrationRecord &r = p->record();
        const bool good = r.outcome == CalibrationOutcome::PassedAsFound ||
                          r.outcome == CalibrationOutcome::Adjusted;
        outcomeLabel->setText(localized("Итог: " + text(outcomeText(r.outcome)) +
                                        (r.remark.empty() ? QString() : ". " + text(r.remark))));
        paint(outcomeLabel, !good);
    }
}

void CalibrationWindow::showMeasurements(const CalibrationRecord &record) {
    measurementsTable->setRowCount(int(record.measurements.size()));
    int row = 0;
    for (const Measurement &m : record.measurements) {
        using namespace RecordTexts;
        const bool judgedByAlarms = m.alarmsExpected.has_value();
        const QStringList cells = {
            text(m.point),
            phase(m.phase),
            judgedByAlarms ? alarms(m.alarmsExpected) : units(m.expected, record.perPercent),
            judgedByAlarms ? alarms(m.alarmsSeen) : units(m.reading, record.perPercent),
            ::seconds(m.secondsToSteady) + (m.acceptedEarly ? " (принято раньше)" : ""),
            verdict(m.passed)};
        for (int c = 0; c < cells.size(); ++c)
            measurementsTable->setItem(row, c, new QTableWidgetItem(cells[c]));
        ++row;
    }
}

void CalibrationWindow::drawChart() {
    // The last procedure's curve stays with it, not with the next one's set-up.
    const CalibrationProcedure *p = started_ ? run_.procedure() : nullptr;
    QList<QPointF> points;
    if (p)
        for (const ChartPoint &c : p->liveChart())
            points.append({c.seconds, c.value});
    reading_->replace(points);
    double lo = points.isEmpty() ? 0 : points.front().y(), hi = lo, right = 10;
    for (const QPointF &pt : points) {
        lo = std::min(lo, pt.y());
        hi = std::max(hi, pt.y());
        right = std::max(right, pt.x());
    }
    const auto w = p ? p->steadyWait() : std::nullopt;
    if (w && !points.isEmpty()) {
        const double from = std::max(0.0, right - (p->record().steady.windowSeconds));
        bandLow_->replace({{from, w->low}, {right, w->low}});
        bandHigh_->replace({{from, w->high}, {right, w->high}});
        lo = std::min(lo, w->low);
        hi = std::max(hi, w->high);
    } else {
        bandLow_->clear();
        bandHigh_->clear();
    }
    const auto target = p ? p->target() : std::nullopt;
    if (target) {
        toleranceLow_->replace({{0, target->low}, {right, target->low}});
        toleranceHigh_->replace({{0, target->high}, {right, target->high}});
        if (points.isEmpty())
            lo = hi = target->expected;
        lo = std::min(lo, target->low);
        hi = std::max(hi, target->high);
    } else {
        toleranceLow_->clear();
        toleranceHigh_->clear();
    }
    const double margin = (hi - lo) * 0.1 + 0.01;
    axisX_->setRange(0, right);
    axisY_->setRange(lo - margin, hi + margin);
}

void CalibrationWindow::showKept(const CalibrationRecord &record, const QString &error,
                                 const QString &heldBack, const QString &warning) {
    kept_ = record;
    // The outcome's line, without what an earlier try said of the record.
    outcome_ = outcomeLabel->text().section('\n', 0, 0);
    isKept_ = error.isEmpty();
    paint(outcomeLabel, !error.isEmpty() || (record.outcome != CalibrationOutcome::PassedAsFound &&
                                             record.outcome != CalibrationOutcome::Adjusted));
    if (!error.isEmpty()) {
        outcomeLabel->setText(outcome_ + "\nЗапись не сохранена: " + error);
        paint(outcomeLabel, true);
        return;
    }
    if (record.number != 0)
        outcomeLabel->setText(outcome_ +
                              QString("\nЗапись № %1 сохранена в журнале.").arg(record.number));
    else if (!heldBack.isEmpty())
        outcomeLabel->setText(outcome_ + QString("\nЗапись сохранена на этом рабочем месте (%1).")
                                             .arg(RecordTexts::recordNumber(record)));
    else
        outcomeLabel->setText(outcome_ + QString("\nЗапись сохранена на этом рабочем месте (%1), "
                                                 "будет отправлена на сервер, когда он ответит.")
                                             .arg(RecordTexts::recordNumber(record)));
    for (const QString &more : {heldBack, warning})
        if (!more.isEmpty()) {
            outcomeLabel->setText(outcomeLabel->text() + "\n" + more);
            paint(outcomeLabel, true);
        }
    certificateButton->setEnabled(true);
}

void CalibrationWindow::showUnkept(const CalibrationRecord &record, const QString &error,
                                   int retrySeconds) {
    outcome_ = outcomeLabel->text().section('\n', 0, 0);
    isKept_ = false;
    certificateButton->setEnabled(false);
    outcomeLabel->setText(outcome_ +
                          QString("\nЗапись (%1, прибор № %2) пока не сохранена: %3. Программа "
                                  "пробует снова каждые %4 с; не закрывайте её, пока запись не "
                                  "сохранится.")
                              .arg(RecordTexts::dateTime(record.when))
                              .arg(record.serial)
                              .arg(error)
                              .arg(retrySeconds));
    paint(outcomeLabel, true);
}

void CalibrationWindow::showSent(qint64 benchNumber, qint64 serverNumber) {
    if (!isKept_ || kept_.number != 0 || kept_.benchNumber != benchNumber)
        return;
    kept_.number = serverNumber;
    outcomeLabel->setText(outcome_ + QString("\nЗапись № %1 на сервере.").arg(serverNumber));
}

void CalibrationWindow::showWaiting(qint64 waiting) {
    outboxLabel->setText(
        waiting > 0 ? "Ждут отправки на сервер: " + RecordTexts::recordCount(waiting) : QString());
}

void CalibrationWindow::saveCertificate() {
    if (!isKept_)
        return;
    const QString path = chooser_->saveFileName(
        this, "Сохранить свидетельство о калибровке",
        QString("Свидетельство-%1-%2.pdf").arg(RecordTexts::recordNumber(kept_)).arg(kept_.serial),
        "Документ PDF (*.pdf)");
    if (path.isEmpty())
        return;
    QString error;
    if (!Certificate::write(kept_, path, &error))
        messages_.error(error);
}

void CalibrationWindow::closeEvent(QCloseEvent *event) {
    // The block is reset and the record kept by the run; the window may go.
    if (run_.busy())
        run_.act(Action::Abort);
    event->accept();
}
