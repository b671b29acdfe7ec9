#include "PageWidgets.h"

#include "TextFit.h"
#include "charts/StripChart.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QFont arial(int pixels, bool bold) {
    QFont f("Arial");
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

template <class W> W *placed(W *widget, const char *name, int x, int y, int w, int h) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}
} // namespace

namespace PageWidgets {

QGroupBox *group(QWidget *parent, const char *name, const QString &caption, int x, int y, int w,
                 int h) {
    return placed(new QGroupBox(caption, parent), name, x, y, w, h);
}

IndicatorPanel *panel(QWidget *parent, const char *name, int x, int y, int w, int h, int fontPx,
                      bool bold) {
    auto *p = placed(new IndicatorPanel(name, parent), name, x, y, w, h);
    if (fontPx > 0)
        p->setFont(arial(fontPx, bold));
    return p;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int x, int y, int w,
                    int h) {
    QPushButton *b = placed(new QPushButton(caption, parent), name, x, y, w, h);
    TextFit::shrinkToFit(b);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y, int w, int h) {
    return placed(new QLabel(text, parent), name, x, y, w, h);
}

QLineEdit *readOnlyEdit(QWidget *parent, const char *name, int x, int y, int w, int h) {
    auto *e = placed(new QLineEdit(parent), name, x, y, w, h);
    e->setReadOnly(true);
    return e;
}

IndicatorPanel *readingPanel(QWidget *parent, const char *name, int x, int y, int w, int h,
                             int fontPx, const QColor &background) {
    IndicatorPanel *p = panel(parent, name, x, y, w, h, fontPx, true);
    setBackground(p, background);
    return p;
}

IndicatorPanel *versionPanel(QWidget *parent, const char *name, int x, int y, int w, int h) {
    IndicatorPanel *p = panel(parent, name, x, y, w, h);
    p->setFrameStyle(QFrame::NoFrame);
    p->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return p;
}

IndicatorPanel *cornerPanel(QWidget *page, const char *name, const StripChart *chart,
                            std::optional<QColor> background) {
    constexpr int W = 150, H = 28;
    const QRect c = chart->geometry();
    const QPalette colours = QApplication::palette();
    IndicatorPanel *p = readingPanel(page, name, c.right() - W - 12, c.top() + 26, W, H, 19,
                                     background.value_or(colours.color(QPalette::Highlight)));
    if (!background) {
        QPalette text = p->palette();
        text.setColor(QPalette::WindowText, colours.color(QPalette::HighlightedText));
        p->setPalette(text);
    }
    p->raise();
    return p;
}

void setBackground(QWidget *widget, const QColor &colour) {
    widget->setAutoFillBackground(true);
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    widget->setPalette(p);
}

} // namespace PageWidgets
