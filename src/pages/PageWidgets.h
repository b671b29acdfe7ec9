#pragma once
// Makers for the widgets of the block pages: each widget gets its name as its
// object name, its place on its parent, and the fonts and colours the pages use.

#include "IndicatorPanel.h"

#include <QColor>
#include <QString>

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class StripChart;

namespace PageWidgets {
QGroupBox *group(QWidget *parent, const char *name, const QString &caption, int x, int y, int w,
                 int h);
IndicatorPanel *panel(QWidget *parent, const char *name, int x, int y, int w, int h, int fontPx = 0,
                      bool bold = false);
// Its font made smaller where its caption would not fit (TextFit.h).
QPushButton *button(QWidget *parent, const char *name, const QString &caption, int x, int y, int w,
                    int h);
QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y, int w, int h);
QLineEdit *readOnlyEdit(QWidget *parent, const char *name, int x, int y, int w, int h);
// A panel that only shows a reading, on a fixed background.
IndicatorPanel *readingPanel(QWidget *parent, const char *name, int x, int y, int w, int h,
                             int fontPx, const QColor &background);
// A borderless panel for the block's version text.
IndicatorPanel *versionPanel(QWidget *parent, const char *name, int x, int y, int w, int h);
// The latest value in the top right corner of a chart, on the highlight colour
// unless another is given.
IndicatorPanel *cornerPanel(QWidget *page, const char *name, const StripChart *chart,
                            std::optional<QColor> background = std::nullopt);
void setBackground(QWidget *widget, const QColor &colour);
} // namespace PageWidgets
