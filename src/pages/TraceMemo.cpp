#include "TraceMemo.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

QString TraceMemo::hex(const Frame &f) {
    QString s;
    for (std::uint8_t b : f)
        s += QString("%1 ").arg(b, 2, 16, QChar('0')).toUpper();
    return s;
}

TraceMemo::TraceMemo(const char *name, QWidget *parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMaximumBlockCount(ShownLines);
    QFont mono("DejaVu Sans Mono");
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(11);
    setFont(mono);

    saveAction_ = new QAction("Сохранить в файл…", this);
    saveAction_->setObjectName(QString(name) + "Save");
    connect(saveAction_, &QAction::triggered, this, &TraceMemo::saveRequested);
}

void TraceMemo::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = createStandardContextMenu(event->pos());
    menu->addSeparator();
    menu->addAction(saveAction_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QString TraceMemo::line(const Frame &command, const Frame &reply) {
    return hex(command) + "      Ответ:  " + hex(reply);
}

void TraceMemo::trace(const Frame &command, const Frame &reply) {
    kept_.emplace_back(command, reply);
    if (kept_.size() > std::size_t{KeptLines})
        kept_.pop_front();
    appendPlainText(line(command, reply));
}

QString TraceMemo::keptText() const {
    QString text;
    text.reserve(static_cast<qsizetype>(kept_.size()) * (line(Frame{}, Frame{}).size() + 1));
    for (const auto &[command, reply] : kept_)
        text += line(command, reply) + '\n';
    return text;
}
