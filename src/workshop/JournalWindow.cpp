#include "JournalWindow.h"

#include "DateField.h"
#include "dialogs/Messages.h"
#include "export/FileChooser.h"
#include "files/AtomicSave.h"
#include "pages/PageFormat.h"
#include "protocol/InstrumentKind.h"
#include "records/BatchReport.h"
#include "records/Certificate.h"
#include "records/JournalTable.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"
#include "records/RecordTexts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>
#include <set>
#include <tuple>

namespace {
using Column = JournalTable::Column;
// The kind filter's items hold the sensor block beside the model.
constexpr int BlockRole = Qt::UserRole + 1;

const CalibrationOutcome Outcomes[] = {CalibrationOutcome::PassedAsFound,
                                       CalibrationOutcome::Adjusted, CalibrationOutcome::Failed,
                                       CalibrationOutcome::Interrupted};

} // namespace

JournalWindow::JournalWindow(Messages &messages, QWidget *parent)
    : ReleasedWhenHidden(parent, Qt::Window), messages_(messages.of(this)),
      path_(RecordStore::defaultPath()) {
    setObjectName("journalWindow");
    setWindowTitle("Журнал калибровок");
    resize(820, 520);
    auto *layout = new QVBoxLayout(this);
    auto *location = new QHBoxLayout;
    recordsLocationLabel = new QLabel(this);
    recordsLocationLabel->setObjectName("recordsLocationLabel");
    recordsLocationLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    recordsLocationButton = new QPushButton("Изменить…", this);
    recordsLocationButton->setObjectName("recordsLocationButton");
    recordsLocationButton->setToolTip("Вести журнал в другом файле или на сервере");
    recordsLocationButton->setAccessibleName("Изменить место журнала");
    location->addWidget(recordsLocationLabel, 1);
    location->addWidget(recordsLocationButton);
    layout->addLayout(location);
    layout->addLayout(buildFilters());

    const QStringList headings = JournalTable::headings();
    recordsTable = new QTableWidget(0, int(headings.size()), this);
    recordsTable->setObjectName("recordsTable");
    recordsTable->setHorizontalHeaderLabels(headings);
    recordsTable->setAccessibleName("Записи журнала");
    recordsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    recordsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    recordsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    recordsTable->verticalHeader()->hide();
    recordsTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(recordsTable, 1);
    outboxLabel = new QLabel(this);
    outboxLabel->setObjectName("outboxLabel");
    QPalette red = outboxLabel->palette();
    red.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    outboxLabel->setPalette(red);
    layout->addWidget(outboxLabel);

    auto *bottom = new QHBoxLayout;
    statusLabel = new QLabel(this);
    statusLabel->setObjectName("statusLabel");
    statusLabel->setWordWrap(true);
    certificateButton = new QPushButton("Свидетельство…", this);
    certificateButton->setObjectName("certificateButton");
    certificateButton->setToolTip("Сохранить свидетельство выбранной записи в PDF");
    batchReportButton = new QPushButton("Отчёт партии…", this);
    batchReportButton->setObjectName("batchReportButton");
    batchReportButton->setToolTip("Сохранить в PDF отчёт о партии стенда, в которую входит "
                                  "выбранная запись");
    exportButton = new QPushButton("Экспорт CSV…", this);
    exportButton->setObjectName("exportButton");
    exportButton->setToolTip("Записать показанные записи в файл CSV");
    sensorHistoryButton = new QPushButton("История датчика…", this);
    sensorHistoryButton->setObjectName("sensorHistoryButton");
    sensorHistoryButton->setToolTip("Чувствительность и ноль датчика выбранного прибора по его "
                                    "калибровкам");
    bottom->addWidget(statusLabel, 1);
    bottom->addWidget(sensorHistoryButton);
    bottom->addWidget(certificateButton);
    bottom->addWidget(batchReportButton);
    bottom->addWidget(exportButton);
    layout->addLayout(bottom);

    connect(showButton, &QPushButton::clicked, this, &JournalWindow::showRecords);
    connect(serialFilter, &QLineEdit::returnPressed, this, &JournalWindow::showRecords);
    connect(technicianFilter, &QLineEdit::returnPressed, this, &JournalWindow::showRecords);
    connect(batchFilter, &QLineEdit::returnPressed, this, &JournalWindow::showRecords);
    connect(certificateButton, &QPushButton::clicked, this, &JournalWindow::saveCertificate);
    connect(batchReportButton, &QPushButton::clicked, this, &JournalWindow::saveBatchReport);
    connect(exportButton, &QPushButton::clicked, this, &JournalWindow::exportCsv);
    connect(sensorHistoryButton, &QPushButton::clicked, this, [this] {
        const int row = recordsTable->currentRow();
        if (row < 0 || row >= int(shown_.size()))
            return messages_.information("Выберите запись в таблице.");
        emit sensorHistoryRequested(shown_[std::size_t(row)].serial);
    });
    connect(recordsTable, &QTableWidget::cellDoubleClicked, this, &JournalWindow::saveCertificate);
    connect(recordsLocationButton, &QPushButton::clicked, this,
            &JournalWindow::locationChangeRequested);
    connect(&reader_, &JournalReader::slow, this, [this](bool silent) {
        if (silent)
            statusLabel->setText(JournalReader::serverSilentNote() + "\n" + where());
    });
    setToday(QDate::currentDate());
    recordsLocationLabel->setText("Журнал: " + RecordLocation::shown(path_));
    reader_.setLocation(path_, QString());
}

JournalWindow::~JournalWindow() = default;

QGridLayout *JournalWindow::buildFilters() {
    auto *grid = new QGridLayout;
    serialFilter = new QLineEdit(this);
    serialFilter->setObjectName("serialFilter");
    serialFilter->setPlaceholderText("все");
    kindFilter = new QComboBox(this);
    kindFilter->setObjectName("kindFilter");
    kindFilter->addItem("Все", QString());
    // Each kind by its model and sensor block; the model is the item's data.
    std::set<std::pair<std::string, std::uint8_t>> kinds;
    for (int type = 0; type <= 0xFF; ++type)
        if (const InstrumentKind *k = findInstrumentKind(std::uint8_t(type));
            k && kinds.insert({k->model, k->sensor.block}).second) {
            kindFilter->addItem(QString::fromStdString(instrumentName(k->model, k->sensor.block)),
                                QString::fromUtf8(k->model));
            kindFilter->setItemData(kindFilter->count() - 1, k->sensor.block, BlockRole);
        }
    fromDate = dateField("fromDate", this);
    fromDate->setDate(QDate(2000, 1, 1));
    toDate = dateField("toDate", this);
    outcomeFilter = new QComboBox(this);
    outcomeFilter->setObjectName("outcomeFilter");
    outcomeFilter->addItem("Все", -1);
    for (CalibrationOutcome o : Outcomes)
        outcomeFilter->addItem(QString::fromStdString(outcomeText(o)), int(o));
    technicianFilter = new QLineEdit(this);
    technicianFilter->setObjectName("technicianFilter");
    technicianFilter->setPlaceholderText("часть фамилии");
    batchFilter = new QLineEdit(this);
    batchFilter->setObjectName("batchFilter");
    batchFilter->setPlaceholderText("все");
    showButton = new QPushButton("Показать", this);
    showButton->setObjectName("showButton");
    showButton->setDefault(true);

    const auto labelled = [&](const char *text, QWidget *field, int row, int column) {
        auto *label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(field);
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
    };
    labelled("Прибор №:", serialFilter, 0, 0);
    labelled("Модель:", kindFilter, 0, 2);
    labelled("Итог:", outcomeFilter, 0, 4);
    labelled("С:", fromDate, 1, 0);
    labelled("По:", toDate, 1, 2);
    labelled("Выполнил:", technicianFilter, 1, 4);
    labelled("Партия стенда:", batchFilter, 2, 0);
    grid->addWidget(showButton, 0, 6, 3, 1);
    grid->setColumnStretch(5, 1);
    return grid;
}

void JournalWindow::setRecordsPath(const QString &path, const QString &benchPath) {
    path_ = path;
    reader_.setLocation(path, benchPath);
    recordsLocationLabel->setText("Журнал: " + RecordLocation::shown(path));
}

void JournalWindow::showWaiting(qint64 waiting) {
    outboxLabel->setText(
        waiting > 0 ? "Ждут отправки на сервер: " + RecordTexts::recordCount(waiting) : QString());
}

void JournalWindow::setToday(const QDate &day) {
    today_ = day;
    toDate->setDate(day);
}

void JournalWindow::setSerial(int serial) {
    serialFilter->setText(serial > 0 ? QString::number(serial) : QString());
}

std::optional<JournalFilter> JournalWindow::filter() {
    JournalFilter f;
    const QString serial = serialFilter->text().trimmed();
    if (!serial.isEmpty()) {
        bool ok = false;
        const int n = serial.toInt(&ok);
        if (!ok || n <= 0)
            return std::nullopt;
        f.serial = n;
    }
    f.model = kindFilter->currentData().toString();
    if (const QVariant block = kindFilter->currentData(BlockRole); block.isValid())
        f.block = std::uint8_t(block.toUInt());
    f.from = fromDate->date();
    f.to = toDate->date();
    if (const int o = outcomeFilter->currentData().toInt(); o >= 0)
        f.outcome = CalibrationOutcome(o);
    f.technician = technicianFilter->text();
    f.batch = batchFilter->text();
    return f;
}

void JournalWindow::showRecords() {
    const std::optional<JournalFilter> f = filter();
    if (!f)
        return messages_.error("Номер прибора — целое число больше нуля, например 23101.");
    reader_.list([this, f = *f](JournalReader::Read read) { showRead(f, read); });
    // A server's answer comes later: what is shown stays until then.
    if (reader_.waiting())
        statusLabel->setText(reader_.waitingNote() + "\n" + where());
}

QString JournalWindow::where() const {
    return "Журнал: " + RecordLocation::shown(path_);
}

void JournalWindow::showRead(const JournalFilter &f, const JournalReader::Read &read) {
    const QString note = read.note.isEmpty() ? QString() : read.note + "\n";
    if (!read.error.isEmpty()) {
        shown_.clear();
        fillTable({});
        statusLabel->setText(note + "Журнал не прочитан: " + read.error + "\n" + where());
        return;
    }
    const std::vector<CalibrationRecord> &all = read.records;
    shown_ = filtered(all, f);
    fillTable(all);
    if (all.empty())
        statusLabel->setText(note + "Записей пока нет.\n" + where());
    else
        statusLabel->setText(
            note + QString("Показано записей: %1 из %2.\n").arg(shown_.size()).arg(all.size()) +
            where());
}

void JournalWindow::fillTable(const std::vector<CalibrationRecord> &all) {
    // By serial number: the newest record's place in its bench's numbering.
    // Records not sent yet have no journal number.
    const auto key = [](const CalibrationRecord &r) {
        return std::make_tuple(r.number, r.bench, r.benchNumber);
    };
    std::map<int, std::tuple<std::int64_t, std::string, std::int64_t>> newest;
    for (const CalibrationRecord &r : all) // oldest first
        newest[r.serial] = key(r);
    recordsTable->clearContents();
    recordsTable->setRowCount(int(shown_.size()));
    for (int row = 0; row < int(shown_.size()); ++row) {
        const CalibrationRecord &r = shown_[std::size_t(row)];
        const QStringList texts = JournalTable::cells(r);
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (column == Column::Number || column == Column::Serial)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            recordsTable->setItem(row, column, item);
        }
        recordsTable->item(row, Column::Model)->setToolTip(RecordTexts::instrument(r));
        if (wantsAttention(r, newest[r.serial] == key(r), today_))
            recordsTable->item(row, Column::Outcome)->setForeground(QColor(0xC0, 0, 0));
    }
    recordsTable->resizeColumnsToContents();
    if (!shown_.empty())
        recordsTable->selectRow(0);
}

void JournalWindow::saveCertificate() {
    const int row = recordsTable->currentRow();
    if (row < 0 || row >= int(shown_.size()))
        return messages_.information("Выберите запись в таблице.");
    const CalibrationRecord &r = shown_[std::size_t(row)];
    const QString path = chooser_->saveFileName(
        this, "Сохранить свидетельство о калибровке",
        QString("Свидетельство-%1-%2.pdf").arg(RecordTexts::recordNumber(r)).arg(r.serial),
        "Документ PDF (*.pdf)");
    if (path.isEmpty())
        return;
    QString error;
    if (!Certificate::write(r, path, &error))
        messages_.error("Свидетельство не сохранено: " + error);
}

// Every record of the batch, whatever the filters show: the journal is read
// again (a server's answer comes later) and the report written from it.
void JournalWindow::saveBatchReport() {
    const int row = recordsTable->currentRow();
    if (row < 0 || row >= int(shown_.size()))
        return messages_.information("Выберите запись в таблице.");
    const QString batch = QString::fromStdString(shown_[std::size_t(row)].batch);
    if (batch.isEmpty())
        return messages_.information("Выбранная запись сделана не на стенде: у неё нет партии. "
                                     "Выберите запись калибровки стенда.");
    const QString path =
        chooser_->saveFileName(this, "Сохранить отчёт партии", QString("Партия-%1.pdf").arg(batch),
                               "Документ PDF (*.pdf)");
    if (path.isEmpty())
        return;
    const QString status = statusLabel->text();
    reader_.list([this, batch, path, status](JournalReader::Read read) {
        statusLabel->setText(status);
        if (!read.error.isEmpty())
            return messages_.error("Отчёт партии не составлен: журнал не прочитан: " + read.error);
        const std::vector<BatchReport::Position> positions =
            BatchReport::fromJournal(batch, read.records);
        if (positions.empty())
            return messages_.error(QString("В журнале нет записей партии %1.").arg(batch));
        QString note = BatchReport::journalNote();
        if (!read.note.isEmpty())
            note += " " + read.note + ".";
        QString error;
        if (!BatchReport::write(batch, positions, path, &error, note))
            messages_.error(error);
    });
    if (reader_.waiting())
        statusLabel->setText(reader_.waitingNote() + "\n" + where());
}

void JournalWindow::exportCsv() {
    if (shown_.empty())
        return messages_.information("Нет записей для экспорта: измените условия и нажмите "
                                     "«Показать».");
    const QString path = chooser_->saveFileName(this, "Экспорт журнала калибровок",
                                                "Журнал калибровок.csv", "Таблица CSV (*.csv)");
    if (path.isEmpty())
        return;
    if (const QString error =
            saveAtomically(path, JournalTable::csv(shown_, PageFormat::numbers()));
        !error.isEmpty())
        messages_.error("Файл не сохранён: " + error);
}
