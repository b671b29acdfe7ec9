#pragma once
// Qt's own texts in Russian: the file dialogs ("Папка", "Имя файла",
// "Открыть", "Отмена"), the standard buttons of the message boxes and the
// command line's help, whatever the system's language. The translations come
// from Qt's translations folder (Debian's qt6-translations-l10n). Kept here,
// beside the other Qt Core pieces, so that the window and ze23-cli share it.

class QCoreApplication;

// Installs qtbase_ru.qm into `app` (the translator lives as long as the
// application); false when the file is not there, and Qt then speaks
// English.
bool installQtRussian(QCoreApplication &app);
