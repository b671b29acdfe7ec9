#pragma once
// The file dialogs on screen (Qt's, modal). Saving, it asks before replacing
// a file, and a name typed without an extension gets the suggested name's;
// opening, only an existing file can be chosen.

#include "FileChooser.h"

class DialogFileChooser : public FileChooser {
  public:
    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedName,
                         const QString &filter) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter) override;
};
