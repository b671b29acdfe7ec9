#include "TksPage.h"

#include "CatalyticLayout.h"
#include "PageWidgets.h"
#include "charts/StripChart.h"

#include <QGroupBox>
#include <QLineEdit>

TksPage::TksPage(ExchangeCycle &exchange, QTimer &transmitTimer, Messages &messages,
                 QWidget *parent)
    : BlockPage(exchange, transmitTimer, Block::Tks, 350, parent),
      sensor(exchange, messages, Block::Tks,
             {.sequenced = false, .signedVoltage = false, .fixedGas = std::nullopt}) {
    using namespace PageWidgets;
    GroupBox11 = CatalyticLayout::statusGroup(
        this, sensor.w,
        {"GroupBox11", "Panel21", "Panel22", "Panel23", "Panel24", "Panel25", "Panel26", "Panel27"},
        "Состояние", {4, 0, 300, 0}, false);

    Button23 = button(this, "Button23", "Выбор газа", 4, 170, 90, 25);
    Button26 = button(this, "Button26", "Подстройка \"0\"", 97, 170, 100, 25);
    Button16 = button(this, "Button16", "Режим настройки", 200, 170, 104, 25);

    GroupBox13 = group(this, "GroupBox13", "Концентроция, %", 4, 198, 300, 58);
    Edit7 = readOnlyEdit(GroupBox13, "Edit7", 6, 17, 288, 34);
    QFont big("Arial");
    big.setPixelSize(24);
    big.setBold(true);
    Edit7->setFont(big);
    sensor.w.concentration = Edit7;

    Button14 = button(this, "Button14", "ВКЛ.", 4, 260, 148, 26);
    Button15 = button(this, "Button15", "ОТКЛ.", 156, 260, 148, 26);

    CatalyticLayout::parameterGroup(this, sensor.w,
                                    {"GroupBox12",
                                     "Label6",
                                     "Edit5",
                                     "Button30",
                                     "Label7",
                                     "Edit6",
                                     "Button31",
                                     "Panel30",
                                     {"Label2", "Label3", "Label4", "Label5"},
                                     {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"},
                                     "Button27",
                                     "Button32",
                                     "Button25"},
                                    QString(), "Сохранение параметров", {4, 290, 300, 216}, 288);

    Button29 = button(this, "Button29", "Настр. по умолчанию", 4, 510, 148, 26);
    Button28 = button(this, "Button28", "Чтение параметров", 156, 510, 148, 26);

    Panel28 = versionPanel(this, "Panel28", 560, 2, 215, 18);
    sensor.w.version = Panel28;
    Chart3 = new StripChart("Chart3", "Series3", "Напряжение на средней точке сенсора, мB", -10,
                            2500, this);
    Chart3->setGeometry(312, 22, 469, 480);
    sensor.w.chart = Chart3;
    Panel29 = cornerPanel(this, "Panel29", Chart3);
    sensor.w.voltage = Panel29;
    Button24 = button(this, "Button24", "СБРОС", 681, 508, 100, 28);

    connectClickHandlers();
}
