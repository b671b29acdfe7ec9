#pragma once
// "Сохранить настройки…" and "Загрузить настройки…" on each sensor page: the
// settings of the whole instrument (its sensor block and its pump) kept in a
// JSON file, and written back from one.
//
// Saving reads the instrument afresh, then asks where to (suggesting
// "Настройки-<serial>-yyyy-MM-dd-HHmm.json" in the folder used last) and
// writes the file whole or not at all. Loading asks for a file, refuses one
// made for another kind or holding values the fields do not accept, reads the
// instrument afresh, shows what differs (marking what the block sets itself
// and cannot be written) and, once the technician agrees, writes the changed
// values, reads everything back and reports each value as confirmed or not;
// the blocks are told to keep their settings only when every value was. The
// page then reads its fields again.
//
// The sessions run through the window's SettingsRun; the buttons are greyed
// while one runs or its end awaits its report.

#include "export/DialogFileChooser.h"
#include "protocol/InstrumentSettings.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class InstrumentSession;
class Messages;
class QPushButton;
class SettingsRun;
class TForm1;

class SettingsHandler : public QObject {
    Q_OBJECT
  public:
    // Puts the two buttons on each sensor page of the window.
    SettingsHandler(TForm1 &form, Messages &messages, SettingsRun &run);

    void setFileChooser(FileChooser &chooser) { chooser_ = &chooser; }

  public slots:
    void saveSettings();
    // `page` reads its fields again once the values are written.
    void loadSettings(int page);

  private:
    struct Instrument {
        int kind;
        int serialNumber;
    };
    void addButtons();
    // The instrument the window talks to; reported when there is none or a
    // session is already running.
    std::optional<Instrument> instrument() const;
    bool stillConnectedTo(const Instrument &instrument) const;
    void setBusy(bool busy);

    void saveRead(const InstrumentSession &read, bool dropped);
    void loadRead(const InstrumentSession &read, bool dropped, int page,
                  const InstrumentSnapshot &wanted, const QString &file);
    void loadWritten(const InstrumentSession &write, bool dropped, int page, const QString &file,
                     const std::vector<SettingChange> &unwritable);
    // Rereads the page's fields, if it is still the one shown.
    void reread(int page);

    TForm1 &form_;
    Messages &messages_;
    SettingsRun &run_;
    DialogFileChooser dialog_;
    FileChooser *chooser_ = &dialog_;
    QString folder_;
    std::vector<QPushButton *> buttons_;
};
