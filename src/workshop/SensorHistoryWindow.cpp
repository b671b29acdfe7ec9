#include "SensorHistoryWindow.h"

#include "pages/PageFormat.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"
#include "records/RecordTexts.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {
using Style = SensorHealthRule::Style;

struct Line {
    QString name;
    std::vector<QPointF> points; // ms since the epoch, value
    bool limit = false;
};

using PageFormat::numbers;

qint64 msOf(const std::string &when) {
    return QDateTime::fromString(QString::fromStdString(when), Qt::ISODate).toMSecsSinceEpoch();
}

QChartView *chartView(const char *name, QWidget *parent) {
    auto *view = new QChartView(new QChart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(200);
    view->chart()->setLocale(numbers());
    view->chart()->setLocalizeNumbers(true);
    return view;
}

// Redraws the chart with its lines over a date axis; a limit is a dashed red
// line across the whole time shown.
void plot(QChartView *view, const QString &title, const QString &unit, std::vector<Line> lines) {
    QChart *chart = view->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *a : chart->axes())
        chart->removeAxis(a), delete a;
    chart->setTitle(title);
    // The time of the values; the limits only widen the value axis.
    qint64 from = QDateTime::currentMSecsSinceEpoch(), to = from;
    double low = 0, high = 1;
    bool anyTime = false, anyValue = false;
    for (const Line &l : lines)
        for (const QPointF &p : l.points) {
            if (!anyValue)
                low = high = p.y();
            low = std::min(low, p.y());
            high = std::max(high, p.y());
            anyValue = true;
            if (l.limit)
                continue;
            if (!anyTime)
                from = to = qint64(p.x());
            from = std::min(from, qint64(p.x()));
            to = std::max(to, qint64(p.x()));
            anyTime = true;
        }
    // A day either side, so that a single calibration shows too.
    constexpr qint64 Day = 24 * 3600 * 1000LL;
    from -= Day;
    to += Day;
    const double margin = std::max(1.0, (high - low) * 0.1);
    auto *x = new QDateTimeAxis;
    x->setFormat("dd.MM.yy");
    x->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    x->setTickCount(4);
    auto *y = new QValueAxis;
    y->setRange(low - margin, high + margin);
    y->setTitleText(unit);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (const Line &l : lines) {
        auto *s = new QLineSeries;
        s->setName(l.name);
        if (l.limit) {
            QPen pen(QColor(0xC0, 0, 0));
            pen.setStyle(Qt::DashLine);
            s->setPen(pen);
            const double v = l.points.empty() ? 0 : l.points.front().y();
            s->append(double(from), v);
            s->append(double(to), v);
        } else {
            s->setPointsVisible(true);
            for (const QPointF &p : l.points)
                s->append(p);
        }
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
}

// A point before and after adjustment: "412,3 → 410,1".
QString pointText(const CalibrationRecord &r, const char *name) {
    for (const AdjustedPoint &p : r.points)
        if (p.name == name)
            return RecordTexts::scaled(p.before, p.perUnit, numbers()) + " → " +
                   RecordTexts::scaled(p.after, p.perUnit, numbers());
    return "—";
}
} // namespace

SensorHistoryWindow::SensorHistoryWindow(QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window), path_(RecordStore::defaultPath()) {
    reader_.setLocation(path_, QString());
    setObjectName("sensorHistoryWindow");
    setWindowTitle("История датчика");
    resize(900, 680);
    auto *layout = new QVBoxLayout(this);
    connect(&reader_, &JournalReader::slow, this, [this](bool silent) {
        if (silent)
            statusLabel->setText(JournalReader::serverSilentNote());
    });
    sensorHealthLabel = new QLabel(this);
    sensorHealthLabel->setObjectName("sensorHealthLabel");
    sensorHealthLabel->setWordWrap(true);
    QFont bold = sensorHealthLabel->font();
    bold.setBold(true);
    sensorHealthLabel->setFont(bold);
    layout->addWidget(sensorHealthLabel);
    auto *charts = new QHBoxLayout;
    sensitivityChart = chartView("sensitivityChart", this);
    zeroChart = chartView("zeroChart", this);
    charts->addWidget(sensitivityChart);
    charts->addWidget(zeroChart);
    layout->addLayout(charts, 3);
    pointsTable = new QTableWidget(this);
    pointsTable->setObjectName("pointsTable");
    pointsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pointsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pointsTable->verticalHeader()->hide();
    pointsTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(pointsTable, 2);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName("statusLabel");
    statusLabel->setWordWrap(true);
    layout->addWidget(statusLabel);
}

SensorHistoryWindow::~SensorHistoryWindow() = default;

void SensorHistoryWindow::setRecordsPath(const QString &path, const QString &benchPath) {
    path_ = path;
    reader_.setLocation(path, benchPath);
}

void SensorHistoryWindow::showSerial(int serial) {
    serial_ = serial;
    setWindowTitle(QString("История датчика — прибор № %1").arg(serial));
    reader_.of(serial, [this, serial](JournalReader::Read read) {
        if (serial == serial_)
            showRead(std::move(read));
    });
    if (reader_.waiting())
        statusLabel->setText(reader_.waitingNote());
}

void SensorHistoryWindow::showRead(JournalReader::Read read) {
    const QString error = read.error;
    std::vector<CalibrationRecord> records = std::move(read.records);
    QString where = "Журнал: " + RecordLocation::shown(path_);
    if (!read.note.isEmpty())
        where = read.note + "\n" + where;
    statusLabel->setText(error.isEmpty() ? where : "Журнал не прочитан: " + error + "\n" + where);
    history_ = sensorHistory(error.isEmpty() ? records : std::vector<CalibrationRecord>{},
                             numbers().decimalPoint().toStdString());
    if (!records.empty()) {
        // Only the block the history is of.
        const std::uint8_t block = records.back().block;
        std::erase_if(records, [block](const CalibrationRecord &r) { return r.block != block; });
    }
    fillCharts();
    fillTable(error.isEmpty() ? records : std::vector<CalibrationRecord>{});
    showVerdict();
}

void SensorHistoryWindow::fillCharts() {
    const SensorHealthRule *rule = history_.rule;
    const std::vector<HealthSample> &s = history_.samples;
    auto series = [&s](auto value) {
        std::vector<QPointF> points;
        for (const HealthSample &h : s)
            points.emplace_back(double(msOf(h.when)), value(h));
        return points;
    };
    if (!rule || s.empty()) {
        plot(sensitivityChart, "Чувствительность", {}, {});
        plot(zeroChart, "Ноль", {}, {});
        return;
    }
    const HealthSample &first = s.front();
    if (rule->style == Style::Span) {
        const double floor = first.first * rule->minSensitivityPercent / 100.0;
        const double drift = rule->driftLimit / 10.0;
        plot(sensitivityChart, "Чувствительность", "мВ/%",
             {{"Чувствительность", series([](const HealthSample &h) { return h.first; })},
              {QString("Порог %1 % от первой").arg(rule->minSensitivityPercent),
               {{0, floor}},
               true}});
        plot(
            zeroChart, "Ноль", "мВ",
            {{QString::fromUtf8(rule->firstPoint).section(',', 0, 0),
              series([](const HealthSample &h) { return h.second; })},
             {"Предел ± " + PageFormat::fixed(drift, 1) + " мВ", {{0, first.second + drift}}, true},
             {QString(), {{0, first.second - drift}}, true}});
    } else {
        const auto drift = [&first](const HealthSample &h) {
            const auto one = [](double from, double to) {
                return from != 0 ? 100.0 * std::abs(to - from) / std::abs(from) : 0.0;
            };
            return std::max(one(first.first, h.first), one(first.second, h.second));
        };
        plot(sensitivityChart, "Пороги", "ед. АЦП",
             {{rule->firstPoint, series([](const HealthSample &h) { return h.first; })},
              {rule->secondPoint, series([](const HealthSample &h) { return h.second; })}});
        plot(zeroChart, "Уход порогов от первой калибровки", "%",
             {{"Уход порогов", series(drift)},
              {QString("Предел %1 %").arg(rule->driftLimit),
               {{0, double(rule->driftLimit)}},
               true}});
    }
    // The lower limit of the zero shares the legend entry of the upper one.
    for (QLegendMarker *m : zeroChart->chart()->legend()->markers())
        if (m->label().isEmpty())
            m->setVisible(false);
}

void SensorHistoryWindow::fillTable(const std::vector<CalibrationRecord> &records) {
    const SensorHealthRule *rule = history_.rule;
    QStringList headings{"№", "Дата", "Итог"};
    if (rule) {
        headings << QString::fromUtf8(rule->firstPoint) + " (до → после)"
                 << QString::fromUtf8(rule->secondPoint) + " (до → после)";
        if (rule->style == Style::Span)
            headings << "Чувствительность, мВ/%"
                     << "Ноль, мВ";
    }
    pointsTable->clear();
    pointsTable->setColumnCount(int(headings.size()));
    pointsTable->setHorizontalHeaderLabels(headings);
    pointsTable->setRowCount(int(records.size()));
    for (int row = 0; row < int(records.size()); ++row) {
        const CalibrationRecord &r = records[std::size_t(row)];
        QStringList cells{QString::number(r.number), RecordTexts::dateTime(r.when),
                          QString::fromStdString(outcomeText(r.outcome))};
        if (rule) {
            cells << pointText(r, rule->firstPoint) << pointText(r, rule->secondPoint);
            if (rule->style == Style::Span) {
                const std::optional<HealthSample> h = healthSample(r);
                cells << (h ? PageFormat::fixed(h->first, 2) : "—")
                      << (h ? PageFormat::fixed(h->second, 1) : "—");
            }
        }
        for (int column = 0; column < cells.size(); ++column)
            pointsTable->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    pointsTable->resizeColumnsToContents();
}

void SensorHistoryWindow::showVerdict() {
    using State = HealthVerdict::State;
    const HealthVerdict &v = history_.verdict;
    const QString reason = QString::fromStdString(v.reason);
    const bool nears = v.state == State::NearsEndOfLife;
    sensorHealthLabel->setText(nears ? "Датчик близок к концу ресурса. " + reason
                               : v.state == State::Ok ? "Датчик в норме. " + reason
                                                      : reason);
    QPalette p = palette();
    if (nears)
        p.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
    sensorHealthLabel->setPalette(p);
}
