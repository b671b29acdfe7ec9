#include "GasControl.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <array>
#include <optional>
#include <utility>

namespace {

// The list's rows, in its order.
const std::array<std::pair<TestGas, const char *>, 6> Gases{{
    {TestGas::Ambient, "Воздух помещения"},
    {TestGas::CleanAir, "Чистый воздух"},
    {TestGas::ZeroGas, "Нулевой газ (азот)"},
    {TestGas::Cylinder, "Газ из баллона"},
    {TestGas::Threshold1, "Газ порога 1"},
    {TestGas::Threshold2, "Газ порога 2"},
}};

int rowOf(TestGas gas) {
    for (std::size_t i = 0; i < Gases.size(); ++i)
        if (Gases[i].first == gas)
            return static_cast<int>(i);
    return 0;
}

} // namespace

GasControl::GasControl(Apply apply, QWidget *parent)
    : QWidget(parent), apply_(std::move(apply)), gasBox_(new QComboBox(this)),
      percentEdit_(new QLineEdit("2.50", this)), problem_(new QLabel(this)) {
    setObjectName("gasControl");
    setWindowTitle("Газ на датчиках виртуальных приборов");
    gasBox_->setObjectName("gasChoice");
    for (const auto &[gas, text] : Gases)
        gasBox_->addItem(QString::fromUtf8(text));
    percentEdit_->setObjectName("cylinderPercent");
    percentEdit_->setMaximumWidth(70);
    percentEdit_->setToolTip("Концентрация газа в баллоне, %");
    problem_->setObjectName("gasProblem");
    problem_->setStyleSheet("color: #b00000");
    problem_->setWordWrap(true);
    problem_->hide();

    auto *grid = new QGridLayout(this);
    auto *gasLabel = new QLabel("На датчике:", this);
    gasLabel->setBuddy(gasBox_);
    auto *percentLabel = new QLabel("Баллон, %:", this);
    percentLabel->setBuddy(percentEdit_);
    grid->addWidget(gasLabel, 0, 0);
    grid->addWidget(gasBox_, 0, 1);
    grid->addWidget(percentLabel, 0, 2);
    grid->addWidget(percentEdit_, 0, 3);
    grid->addWidget(problem_, 1, 0, 1, 4);

    connect(gasBox_, &QComboBox::activated, this, [this] { applyChoice(); });
    connect(percentEdit_, &QLineEdit::editingFinished, this, [this] {
        if (Gases[static_cast<std::size_t>(gasBox_->currentIndex())].first == TestGas::Cylinder)
            applyChoice();
    });
}

bool GasControl::choose(TestGas gas) {
    gasBox_->setCurrentIndex(rowOf(gas));
    return applyChoice();
}

std::optional<double> GasControl::cylinderPercent() {
    bool ok = false;
    const double p = percentEdit_->text().trimmed().replace(',', '.').toDouble(&ok);
    if (!ok || p < 0 || p > 100) {
        problem_->setText("Концентрация газа в баллоне — число от 0 до 100 %, например 2.50. "
                          "Газ на датчиках не изменён.");
        problem_->show();
        return std::nullopt;
    }
    return p;
}

bool GasControl::applyChoice() {
    const TestGas gas = Gases[static_cast<std::size_t>(gasBox_->currentIndex())].first;
    double percent = 0;
    if (gas == TestGas::Cylinder) {
        const std::optional<double> p = cylinderPercent();
        if (!p) {
            gasBox_->setCurrentIndex(rowOf(applied_));
            return false;
        }
        percent = *p;
    }
    problem_->hide();
    applied_ = gas;
    if (apply_)
        apply_(gas, percent);
    return true;
}
