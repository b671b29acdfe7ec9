// The technician's single moves: going to a page, pressing a button (with
// what goes before and after it), switching the instrument off, opening the
// multiplexer window.

#include "Technician.h"

#include "mux/TForm2.h"
#include "pages/BasePage.h"
#include "pages/OxygenPage.h"
#include "pages/TraceMemo.h"
#include "pages/ValueField.h"
#include "sim/RandomIn.h"
#include "ui/PageIndex.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <array>

namespace {
constexpr std::int64_t Second = 1000;
constexpr std::int64_t Minute = 60 * Second;

// What a technician types into the four fields of a parameter group, in their
// order: calibration gas, then the thresholds. Three digits: hundredths of a
// percent of methane or propane; four: tenths of a percent of oxygen.
constexpr std::array<std::array<int, 2>, 4> CatalyticValues{
    {{100, 400}, {10, 60}, {60, 150}, {200, 600}}};
constexpr std::array<std::array<int, 2>, 4> OxygenValues{
    {{195, 215}, {10, 40}, {170, 195}, {225, 260}}};

// The "ВКЛ." beside an "ОТКЛ." or "ВЫКЛ.": same group, same row.
QPushButton *onButtonBeside(QPushButton *off) {
    for (QPushButton *b :
         off->parentWidget()->findChildren<QPushButton *>(Qt::FindDirectChildrenOnly))
        if (b->text() == "ВКЛ." && b->y() == off->y())
            return b;
    return nullptr;
}
} // namespace

void Technician::showPage(int page) {
    if (bench_.form.activePage() == page || !bench_.form.isTabShown(page))
        return;
    ++counts.pageChanges;
    note(QString("page %1").arg(page));
    bench_.form.PageControl1->setCurrentIndex(page);
}

void Technician::changePage() {
    const int r = randomIn(random_, 0, 99);
    if (r < 70) {
        showPage(blockPage_);
        nextPage_ = in(2 * Minute, 12 * Minute);
    } else {
        showPage(r < 85 ? PageIndex::Base : PageIndex::Pump);
        nextPage_ = in(20 * Second, 3 * Minute);
    }
}

std::vector<QPushButton *> Technician::everydayButtons(int page) const {
    const TForm1 &form = bench_.form;
    std::vector<QPushButton *> buttons;
    for (QPushButton *b : form.TabSheets[std::size_t(page)]->findChildren<QPushButton *>()) {
        if (b->isHidden() || !b->isEnabled())
            continue;
        // The base's off button and the multiplexer window have moves of their own.
        if (b == form.basePage->Button2 || b == form.basePage->Button72)
            continue;
        // The settings files are no everyday move: they ask for a file.
        if (b->objectName().contains("SettingsButton"))
            continue;
        // Calibrating is a move of its own, through its window.
        if (b->objectName().startsWith("CalibrationButton"))
            continue;
        // The front end is written once its settings have been read; before
        // that the page refuses with a message.
        if (form.oxygenPage && b == form.oxygenPage->Button75 &&
            !FrontEnd::complete(form.oxygenPage->frontEnd()))
            continue;
        buttons.push_back(b);
    }
    return buttons;
}

void Technician::pressSomething() {
    const int page = bench_.form.activePage();
    if (page != PageIndex::Base && page != PageIndex::Pump && page != blockPage_)
        return;
    const std::vector<QPushButton *> buttons = everydayButtons(page);
    if (!buttons.empty())
        press(page, buttons[std::size_t(randomIn(random_, 0, int(buttons.size()) - 1))]);
}

void Technician::press(int page, QPushButton *button) {
    const QString text = button->text();
    if (text == "Применить")
        typeThresholds(button->parentWidget());
    button->click();
    note(QString("%1 \"%2\"").arg(button->objectName(), text));
    ++counts.presses;
    const auto pressLater = [this, page](int loMs, int hiMs, QPushButton *b) {
        later(loMs, hiMs, [this, page, b] {
            if (!bench_.identified(kind_))
                return;
            showPage(page);
            b->click();
            note(QString("%1 \"%2\"").arg(b->objectName(), b->text()));
            ++counts.presses;
        });
    };
    if (text == "ОТКЛ." || text == "ВЫКЛ.") {
        if (QPushButton *on = onButtonBeside(button))
            pressLater(5 * Second, Minute, on);
    } else if (text == ">>" || text == "<<") {
        // An amplitude run goes on until stopped.
        for (QPushButton *b : button->parentWidget()->findChildren<QPushButton *>())
            if (b->text() == "Стоп")
                pressLater(2 * Second, 20 * Second, b);
    }
}

void Technician::typeThresholds(QWidget *group) {
    const QList<ValueField *> fields = group->findChildren<ValueField *>();
    for (qsizetype i = 0; i < fields.size() && i < 4; ++i) {
        ValueField *field = fields[i];
        const auto &range =
            field->max() > 999 ? OxygenValues[std::size_t(i)] : CatalyticValues[std::size_t(i)];
        const QString value = QString::number(randomIn(random_, range[0], range[1]));
        // As typed: all selected, the digits over it, then Enter.
        field->selectAll();
        QTest::keyClicks(field, value);
        QTest::keyClick(field, Qt::Key_Return);
        ++counts.typedFields;
        if (field->displayText().trimmed() != value) {
            ++counts.typingRefused;
            field->setText(value);
        }
    }
}

void Technician::switchOff() {
    showPage(PageIndex::Base);
    bench_.form.basePage->Button2->click();
    note("Button2 \"ВЫКЛ.\"");
    ++counts.presses;
    ++counts.switchOffs;
    // The window ends the connection when the base answers the off command;
    // the technician opens the adapter again a little later either way.
    later(8 * Second, 8 * Second, [this] {
        if (bench_.form.ConnectionOpen)
            ++counts.switchOffsUnanswered;
        reopen();
    });
}

void Technician::openMuxWindow() {
    showPage(PageIndex::Base);
    bench_.form.basePage->Button72->click();
    note("Button72 (multiplexer window)");
    ++counts.presses;
    ++counts.muxWindows;
    later(10 * Second, Minute, [this] { bench_.form.Form2->hide(); });
}

bool Technician::hasTrace() const {
    return !bench_.form.TabSheets[std::size_t(blockPage_)]->findChildren<TraceMemo *>().isEmpty();
}

bool Technician::traceFull() const {
    for (const TraceMemo *memo :
         bench_.form.TabSheets[std::size_t(blockPage_)]->findChildren<TraceMemo *>())
        if (memo->document()->blockCount() < TraceMemo::ShownLines)
            return false;
    return true;
}
