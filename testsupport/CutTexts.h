#pragma once
// The texts a widget tree shows cut off: labels, buttons, radio buttons, check
// boxes, group box titles and fields whose text is wider than the room the
// widget gives it (Qt clips such a text without a word).

#include <QStringList>

class QWidget;

// One line per cut text, "Button7 «LED OFF»: needs 70 px, has 65"; the
// widgets hidden under `root` are left out.
QStringList cutTexts(const QWidget *root);
