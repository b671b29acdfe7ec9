#pragma once
// The frame trace of a page: one line per reply, the command frame as it
// stood and the reply beside it. Only the newest lines are kept, so that a day
// of polling does not grow without limit: the memo shows the newest
// ShownLines (a line of a text document costs close to a kilobyte), and the
// frames of the newest KeptLines are kept beside it, sixteen bytes a line,
// for the file. Its context menu adds "Сохранить в файл…" to the standard
// entries; the window does the saving (ui/ExportHandler.h).

#include "protocol/Frame.h"

#include <QPlainTextEdit>

#include <deque>
#include <utility>

class QAction;

class TraceMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    static constexpr int ShownLines = 2000;
    static constexpr int KeptLines = 10000;

    TraceMemo(const char *name, QWidget *parent);

    void trace(const Frame &command, const Frame &reply);
    // The newest KeptLines lines, oldest first, each ended by a line feed.
    QString keptText() const;

    // "8B 0C 00 00 00 00 00 87       Ответ:  0B 0C 81 F4 01 00 04 77 "
    static QString line(const Frame &command, const Frame &reply);
    // "8B 0C 00 00 00 00 00 87 ": two upper-case digits and a blank a byte.
    static QString hex(const Frame &frame);

  signals:
    void saveRequested();

  protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    // "<object name>Save", added to the standard menu each time it opens.
    QAction *saveAction_;
    std::deque<std::pair<Frame, Frame>> kept_;
};
