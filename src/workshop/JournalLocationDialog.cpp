#include "JournalLocationDialog.h"

#include "dialogs/Messages.h"
#include "records/RecordLocation.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {
const char *const LocationKey = "records/location";
}

JournalLocationDialog::JournalLocationDialog(Messages &messages, QWidget *parent)
    : QDialog(parent), messages_(messages.of(this)) {
    setObjectName("journalLocationDialog");
    setWindowTitle("Где вести журнал калибровок");
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel("Журнал калибровок (файл или сервер):", this);
    layout->addWidget(label);
    auto *row = new QHBoxLayout;
    recordsLocationEdit = new QLineEdit(this);
    recordsLocationEdit->setObjectName("recordsLocationEdit");
    recordsLocationEdit->setMinimumWidth(420);
    recordsLocationEdit->setPlaceholderText(
        "файл журнала или postgresql://пользователь@сервер[:порт]/база");
    label->setBuddy(recordsLocationEdit);
    browseButton = new QPushButton("Файл…", this);
    browseButton->setObjectName("recordsFileButton");
    browseButton->setToolTip("Выбрать существующий файл журнала");
    row->addWidget(recordsLocationEdit, 1);
    row->addWidget(browseButton);
    layout->addLayout(row);
    auto *note = new QLabel("Новые записи будут сохраняться там; уже сохранённые остаются, где "
                            "были.",
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setObjectName("recordsLocationOkButton");
    buttons->button(QDialogButtonBox::Cancel)->setText("Отмена");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &JournalLocationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString now = recordsLocationEdit->text().trimmed();
        const QString folder = RecordLocation::isServer(now) || now.isEmpty()
                                   ? QString()
                                   : QFileInfo(now).absolutePath();
        const QString path = chooser_->openFileName(this, "Файл журнала калибровок", folder,
                                                    "Журнал SQLite (*.sqlite);;Все файлы (*)");
        if (!path.isEmpty())
            recordsLocationEdit->setText(path);
    });
}

void JournalLocationDialog::ask(const QString &current, QWidget *over) {
    current_ = current;
    recordsLocationEdit->setText(RecordLocation::shown(current));
    if (over && parentWidget() != over)
        setParent(over, windowFlags());
    setWindowModality(Qt::WindowModal);
    open();
}

QString JournalLocationDialog::remembered() {
    return QSettings().value(LocationKey).toString();
}

void JournalLocationDialog::accept() {
    QString location = recordsLocationEdit->text().trimmed();
    // The one in use as shown (a long one cut) stands for itself.
    if (location == RecordLocation::shown(current_))
        location = current_;
    if (const QString bad = RecordLocation::malformed(location); !bad.isEmpty())
        return messages_.error("Журнал калибровок не изменён: " + bad + ".");
    if (!RecordLocation::isServer(location))
        location = QFileInfo(location).absoluteFilePath();
    QSettings().setValue(LocationKey, location);
    QDialog::accept();
    emit chosen(location);
}
