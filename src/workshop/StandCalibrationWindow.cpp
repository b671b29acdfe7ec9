#include "StandCalibrationWindow.h"

#include "CalibrationSetupFields.h"
#include "LocaleNumbers.h"
#include "dialogs/Messages.h"
#include "mux/StandLayout.h"
#include "records/BatchReport.h"
#include "records/RecordTexts.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <map>

namespace {
using State = StandCalibration::State;
using Action = CalibrationProcedure::Action;

// The colour of a position's cell by its state; the face colour while it
// waits.
QColor stateColour(State s, const QPalette &p) {
    switch (s) {
    case State::Waiting:
        break;
    case State::Steady:
        return QColor(0xFF, 0xF0, 0xA0);
    case State::Adjusted:
        return QColor(0xA8, 0xE0, 0xA8);
    case State::Passed:
        return QColor(0x70, 0xC8, 0x70);
    case State::Failed:
        return QColor(0xFF, 0x88, 0x88);
    case State::Empty:
        return QColor(0xC8, 0xC8, 0xC8);
    }
    return p.color(QPalette::Button);
}

QString stateText(State s) {
    switch (s) {
    case State::Waiting:
        return "ждёт";
    case State::Steady:
        return "устойчиво";
    case State::Adjusted:
        return "настроен";
    case State::Passed:
        return "годен";
    case State::Failed:
        return "не годен";
    case State::Empty:
        return "пусто";
    }
    return {};
}

// The positions in the stand's layout: row and column of each channel.
std::map<int, std::pair<int, int>> cellsOfChannels() {
    std::map<int, std::pair<int, int>> at;
    const auto &all = StandLayout::positions();
    for (std::size_t i = 0; i < all.size(); ++i)
        at[all[i].channel] = {int(i / 8), int(i % 8)};
    return at;
}

QString minutes(std::int64_t ms) {
    const std::int64_t s = ms / 1000;
    return QString("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}
} // namespace

StandCalibrationWindow::StandCalibrationWindow(CalibrationRun &run, Messages &messages,
                                               QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window), run_(run), messages_(messages.of(this)) {
    setObjectName("standCalibrationWindow");
    setWindowTitle("Калибровка стенда");
    auto *layout = new QVBoxLayout(this);
    buildSetup();
    buildRun();
    layout->addWidget(setupArea, 1);
    layout->addWidget(runArea, 1);
    runArea->hide();
    connect(&run_, &CalibrationRun::changed, this, &StandCalibrationWindow::refresh);
    resize(900, 680);
}

StandCalibrationWindow::~StandCalibrationWindow() = default;

void StandCalibrationWindow::buildSetup() {
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName("standSetupArea");
    scroll->setWidgetResizable(true);
    setupArea = scroll;
    auto *inner = new QWidget(scroll);
    auto *column = new QVBoxLayout(inner);

    auto *stand = new QGroupBox("Датчики на стенде (нажатая позиция — датчик установлен)", inner);
    auto *grid = new QGridLayout(stand);
    for (const auto &[channel, cell] : cellsOfChannels()) {
        auto *b = new QToolButton(stand);
        b->setObjectName(QString("fittedPosition%1").arg(channel));
        b->setAccessibleName(QString("Позиция %1").arg(channel));
        b->setText(QString::number(channel));
        b->setCheckable(true);
        b->setChecked(true);
        b->setMinimumSize(40, 28);
        grid->addWidget(b, cell.first, cell.second);
        fittedButtons[std::size_t(channel - 1)] = b;
        connect(b, &QToolButton::toggled, this, &StandCalibrationWindow::fittedChanged);
    }
    column->addWidget(stand);

    auto *labels = new QGroupBox("Метки датчиков (можно считать сканером штрихкода)", inner);
    auto *labelsLayout = new QVBoxLayout(labels);
    labelsTable = new QTableWidget(0, 2, labels);
    labelsTable->setObjectName("labelsTable");
    labelsTable->setAccessibleName("Метки датчиков");
    labelsTable->setHorizontalHeaderLabels({"Позиция", "Метка датчика"});
    labelsTable->horizontalHeader()->setStretchLastSection(true);
    labelsTable->verticalHeader()->hide();
    labelsTable->setMinimumHeight(160);
    // A barcode scanner types the label and presses Enter: the next
    // position's label is then the one typed into.
    labelsTable->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                 QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed);
    connect(labelsTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == 1 && item->row() + 1 < labelsTable->rowCount())
            labelsTable->setCurrentCell(item->row() + 1, 1);
    });
    labelsLayout->addWidget(labelsTable);
    column->addWidget(labels);

    auto *who = new QGroupBox("Условия калибровки", inner);
    auto *form = new QFormLayout(who);
    setupFields = std::make_unique<CalibrationSetupFields>(form, who, "stand");
    column->addWidget(who);

    startButton = new QPushButton("Начать калибровку стенда", inner);
    startButton->setObjectName("standStartButton");
    column->addWidget(startButton, 0, Qt::AlignLeft);
    column->addStretch(1);
    scroll->setWidget(inner);
    connect(startButton, &QPushButton::clicked, this, &StandCalibrationWindow::startClicked);
    fittedChanged();
}

void StandCalibrationWindow::buildRun() {
    runArea = new QWidget(this);
    runArea->setObjectName("standRunArea");
    auto *column = new QVBoxLayout(runArea);
    stageLabel = new QLabel(runArea);
    stageLabel->setObjectName("standStageLabel");
    stageLabel->setWordWrap(true);
    QFont big = stageLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.25);
    big.setBold(true);
    stageLabel->setFont(big);
    progressLabel = new QLabel(runArea);
    progressLabel->setObjectName("standProgressLabel");
    conditionsLabel = new QLabel(runArea);
    conditionsLabel->setObjectName("standConditionsLabel");
    conditionsLabel->setWordWrap(true);
    readyButton = new QPushButton("Газ подан", runArea);
    readyButton->setObjectName("standReadyButton");
    abortButton = new QPushButton("Прервать", runArea);
    abortButton->setObjectName("standAbortButton");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(readyButton);
    buttons->addWidget(abortButton);
    buttons->addStretch(1);
    column->addWidget(stageLabel);
    column->addWidget(progressLabel);
    column->addWidget(conditionsLabel);
    column->addLayout(buttons);

    auto *middle = new QHBoxLayout;
    auto *grid = new QGridLayout;
    grid->setSpacing(3);
    for (const auto &[channel, cell] : cellsOfChannels()) {
        auto *b = new QPushButton(runArea);
        b->setObjectName(QString("standCell%1").arg(channel));
        b->setFixedSize(84, 44);
        grid->addWidget(b, cell.first, cell.second);
        cells[std::size_t(channel - 1)] = b;
        const int position = channel; // a structured binding is not captured
        connect(b, &QPushButton::clicked, this, [this, position] { showPosition(position); });
    }
    auto *stand = new QVBoxLayout;
    stand->addLayout(grid);
    stand->addStretch(1);
    middle->addLayout(stand);
    auto *side = new QVBoxLayout;
    positionLabel = new QLabel("Нажмите позицию, чтобы увидеть её график", runArea);
    positionLabel->setObjectName("standPositionLabel");
    positionLabel->setWordWrap(true);
    auto *chart = new QChart;
    chart->legend()->hide();
    chart->addSeries(new QLineSeries(chart));
    chart->createDefaultAxes();
    positionChart = new QChartView(chart, runArea);
    positionChart->setObjectName("standPositionChart");
    positionChart->setMinimumSize(260, 200);
    side->addWidget(positionLabel);
    side->addWidget(positionChart, 1);
    middle->addLayout(side, 1);
    column->addLayout(middle, 1);

    keptLabel = new QLabel(runArea);
    keptLabel->setObjectName("standKeptLabel");
    keptLabel->setWordWrap(true);
    reportButton = new QPushButton("Отчёт партии (PDF)…", runArea);
    reportButton->setObjectName("standReportButton");
    reportButton->hide();
    newBatchButton = new QPushButton("Новая партия…", runArea);
    newBatchButton->setObjectName("standNewBatchButton");
    newBatchButton->hide();
    auto *end = new QHBoxLayout;
    end->addWidget(reportButton);
    end->addWidget(newBatchButton);
    end->addStretch(1);
    column->addWidget(keptLabel);
    column->addLayout(end);

    connect(readyButton, &QPushButton::clicked, this, [this] { run_.act(Action::Ready); });
    connect(abortButton, &QPushButton::clicked, this, [this] { run_.act(Action::Abort); });
    connect(reportButton, &QPushButton::clicked, this, &StandCalibrationWindow::saveReport);
    connect(newBatchButton, &QPushButton::clicked, this, &StandCalibrationWindow::showSetup);
}

void StandCalibrationWindow::fittedChanged() {
    // The labels typed stay with their positions.
    std::map<int, QString> typed;
    for (int row = 0; row < labelsTable->rowCount(); ++row)
        if (labelsTable->item(row, 0) && labelsTable->item(row, 1))
            typed[labelsTable->item(row, 0)->text().toInt()] = labelsTable->item(row, 1)->text();
    const QSignalBlocker quiet(labelsTable);
    labelsTable->setRowCount(0);
    for (int p = 1; p <= Positions; ++p) {
        if (!fittedButtons[std::size_t(p - 1)]->isChecked())
            continue;
        const int row = labelsTable->rowCount();
        labelsTable->insertRow(row);
        auto *position = new QTableWidgetItem(QString::number(p));
        position->setFlags(position->flags() & ~Qt::ItemIsEditable);
        labelsTable->setItem(row, 0, position);
        labelsTable->setItem(row, 1, new QTableWidgetItem(typed[p]));
    }
    labelsTable->setCurrentCell(0, 1);
}

void StandCalibrationWindow::prepare(const CalibrationRecord &base) {
    base_ = base;
    // A stand under way, or one done whose report may still be wanted, stays
    // shown; "Новая партия…" leads to the next.
    if (run_.busy() || !runArea->isHidden())
        return;
    showSetup();
}

void StandCalibrationWindow::showSetup() {
    if (run_.busy())
        return;
    setupFields->prepare(base_);
    setupArea->show();
    runArea->hide();
}

void StandCalibrationWindow::setFileChooser(FileChooser &chooser) {
    chooser_ = &chooser;
}

void StandCalibrationWindow::startClicked() {
    if (run_.busy())
        return;
    std::vector<StandCalibration::Fitted> fitted;
    for (int row = 0; row < labelsTable->rowCount(); ++row)
        fitted.push_back({labelsTable->item(row, 0)->text().toInt(),
                          labelsTable->item(row, 1)->text().trimmed().toStdString()});
    if (fitted.empty())
        return messages_.error("Отметьте позиции, на которых стоят датчики.");
    QString refused;
    std::optional<CalibrationSetupFields::Filled> filled = setupFields->fill(&refused);
    if (!filled)
        return messages_.error(refused);
    setupFields->remember();
    CalibrationRecord &record = filled->record;
    batch_ = QString("%1-%2")
                 .arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss"))
                 .arg(base_.serial);
    record.batch = batch_.toStdString();
    setupArea->hide();
    runArea->show();
    reportButton->hide();
    newBatchButton->hide();
    keptLabel->clear();
    shownPosition_ = 0;
    kept_.clear();
    StandCalibration stand(record.block, record.sensorGas, record, fitted, run_.now());
    stand.setRule(filled->rules.rule);
    stand.setTolerance(filled->rules.tolerance);
    // As every position's record has them: the stand's rule of steadiness.
    conditionsLabel->setText(localized(
        startConditions(stand.procedure(fitted.front().position)->record()).join("; ") + "."));
    run_.start(std::move(stand));
    emit started(batch_);
    refresh();
}

void StandCalibrationWindow::refresh() {
    const StandCalibration *stand = run_.calibration();
    if (!stand)
        return;
    const StandCalibration::Stage &stage = stand->stage();
    stageLabel->setText(localized(QString::fromStdString(stage.instruction)));
    const auto offers = [&stage](Action a) {
        return std::find(stage.actions.begin(), stage.actions.end(), a) != stage.actions.end();
    };
    readyButton->setEnabled(offers(Action::Ready));
    abortButton->setEnabled(offers(Action::Abort));
    const std::vector<StandCalibration::Position> positions = stand->positions();
    std::map<State, int> counted;
    for (const auto &p : positions)
        ++counted[p.state];
    progressLabel->setText(
        stand->finished()
            ? QString("Партия %1. Газ подан %2 раз(а).").arg(batch_).arg(stage.number)
            : QString("Партия %1. Газ подан %2 раз(а); ждут показаний: %3 из %4; этап идёт %5.")
                  .arg(batch_)
                  .arg(stage.number)
                  .arg(stage.waiting)
                  .arg(positions.size())
                  .arg(minutes(run_.now() - stage.beganMs)));
    for (int p = 1; p <= Positions; ++p) {
        QPushButton *cell = cells[std::size_t(p - 1)];
        cell->setEnabled(false);
        cell->setText(QString("%1\n—").arg(p));
        cell->setAccessibleName(QString("Позиция %1: не установлена").arg(p));
        cell->setPalette(palette());
    }
    for (const auto &p : positions) {
        QPushButton *cell = cells[std::size_t(p.position - 1)];
        const QString value = p.latest ? fixed(*p.latest, p.unit == "%" ? 2 : 1) + " " +
                                             QString::fromStdString(p.unit)
                                       : QString("—");
        cell->setEnabled(true);
        cell->setText(QString("%1\n%2").arg(p.position).arg(value));
        cell->setAccessibleName(
            QString("Позиция %1: %2, %3").arg(p.position).arg(stateText(p.state), value));
        cell->setToolTip(QString::fromStdString(p.label));
        QPalette pal = cell->palette();
        pal.setColor(QPalette::Button, stateColour(p.state, palette()));
        pal.setColor(QPalette::Window, stateColour(p.state, palette()));
        cell->setPalette(pal);
    }
    if (stand->finished()) {
        stageLabel->setText(
            QString("Калибровка стенда окончена: настроено %1, годны без настройки %2, не годны "
                    "%3, пустых позиций %4.")
                .arg(counted[State::Adjusted])
                .arg(counted[State::Passed])
                .arg(counted[State::Failed])
                .arg(counted[State::Empty]));
        reportButton->show();
        newBatchButton->show();
    }
    if (shownPosition_)
        showPosition(shownPosition_);
}

void StandCalibrationWindow::showPosition(int position) {
    const StandCalibration *stand = run_.calibration();
    const CalibrationProcedure *proc = stand ? stand->procedure(position) : nullptr;
    if (!proc)
        return;
    shownPosition_ = position;
    positionLabel->setText(QString("Позиция %1: %2")
                               .arg(position)
                               .arg(localized(QString::fromStdString(proc->step().instruction))));
    auto *series = static_cast<QLineSeries *>(positionChart->chart()->series().front());
    QList<QPointF> points;
    double low = 0, high = 1, last = 1;
    for (const ChartPoint &c : proc->liveChart()) {
        points << QPointF(c.seconds, c.value);
        low = points.size() == 1 ? c.value : std::min(low, c.value);
        high = points.size() == 1 ? c.value : std::max(high, c.value);
        last = std::max(last, c.seconds);
    }
    series->replace(points);
    const auto axes = positionChart->chart()->axes();
    if (axes.size() == 2) {
        axes[0]->setRange(0, last);
        const double margin = std::max(0.05, (high - low) * 0.1);
        axes[1]->setRange(low - margin, high + margin);
    }
}

void StandCalibrationWindow::showKept(int kept, int waiting, const QString &error) {
    keptLabel->setText(waiting == 0
                           ? QString("Записей партии в журнале: %1.").arg(kept)
                           : QString("Записей партии в журнале: %1; ждут журнала: %2 (%3).")
                                 .arg(kept)
                                 .arg(waiting)
                                 .arg(error));
}

void StandCalibrationWindow::recordKept(const CalibrationRecord &record) {
    if (record.standPosition && record.batch == batch_.toStdString())
        kept_[*record.standPosition] = record;
}

void StandCalibrationWindow::saveReport() {
    const StandCalibration *stand = run_.calibration();
    if (!stand || !stand->finished())
        return;
    std::vector<BatchReport::Position> positions;
    for (const StandCalibration::Position &p : stand->positions()) {
        BatchReport::Position line{p.position, p.label, std::nullopt};
        if (const auto k = kept_.find(p.position); k != kept_.end())
            line.record = k->second;
        else if (p.state != State::Empty)
            line.record = stand->procedure(p.position)->record();
        positions.push_back(std::move(line));
    }
    const QString path =
        chooser_->saveFileName(this, "Сохранить отчёт партии", QString("Партия-%1.pdf").arg(batch_),
                               "Документ PDF (*.pdf)");
    if (path.isEmpty())
        return;
    QString error;
    if (!BatchReport::write(batch_, positions, path, &error))
        messages_.error(error);
}
