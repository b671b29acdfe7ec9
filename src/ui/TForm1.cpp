#include "TForm1.h"

#include "CalibrationHandler.h"
#include "ExportHandler.h"
#include "SettingsHandler.h"
#include "SettingsRun.h"
#include "StandHandler.h"
#include "UsbPage.h"
#include "WorkshopHandler.h"
#include "dialogs/Messages.h"
#include "link/DeviceChangeWait.h"
#include "mux/TForm2.h"
#include "pages/BasePage.h"
#include "pages/HydrogenPage.h"
#include "pages/OpticalPage.h"
#include "pages/OxygenPage.h"
#include "pages/PgsPage.h"
#include "pages/PumpPage.h"
#include "pages/TksPage.h"
#include "pages/TksPgsPage.h"
#include "workshop/CalibrationRun.h"
#include "workshop/JournalLocationDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char *const DesignCaptions[PageIndex::Count] = {
    "Устройства USB",
    "База",
    "Насос",
    "ТКС",
    "ПГС",
    "ТКС+ПГС",
    "ТКС+ПГС водород",
    "Оптика метен 100%",
    "Кислород",
    "Угарный газ (СО)",
};
} // namespace

TForm1::TForm1(FtDriver &driver, Messages &messages, QWidget *parent, Building building)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ft(driver), messages_(messages), link_(ft) {
    setObjectName("Form1");
    setWindowTitle("Настройка приборов серии ЗЭ23 V1.0");
    setFixedSize(792, 573);
    QFont windowFont("MS Sans Serif");
    windowFont.setPixelSize(11);
    setFont(windowFont);

    ft.setErrorBox(
        [this](const std::string &text) { messages_.error(QString::fromStdString(text)); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(350);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(100);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");
    Timer3->setInterval(100);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);

    buildFrame();
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    if (building == Building::Whole)
        finishBuilding();
}

// The first paint of a window built first page first: the rest is built as
// soon as the event loop is back, the window on screen meanwhile; a second
// after it was shown at the latest, should the window system keep it
// unpainted (shown minimised).
bool TForm1::event(QEvent *e) {
    if (!built_ && (e->type() == QEvent::Paint || e->type() == QEvent::Show))
        QTimer::singleShot(e->type() == QEvent::Paint ? 0 : 1000, this, &TForm1::finishBuilding);
    return QWidget::event(e);
}

void TForm1::finishBuilding() {
    if (built_)
        return;
    built_ = true;
    buildBlockPages();

    deviceChangeWait = new DeviceChangeWait(this);
    connect(deviceChangeWait, &DeviceChangeWait::progress, ProgressBar1, &QProgressBar::setValue);
    connect(deviceChangeWait, &DeviceChangeWait::finished, this, &TForm1::deviceChangeWaitFinished);

    closingWait = new QTimer(this);
    closingWait->setObjectName("ClosingWait");
    closingWait->setSingleShot(true);
    closingWait->setInterval(3000);
    connect(closingWait, &QTimer::timeout, this, &TForm1::finishClosing);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(usbPage, &UsbPage::listDoubleClicked, this, &TForm1::ListView1DblClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::onCurrentChanged);
    connect(basePage, &BasePage::offAcknowledged, this, &TForm1::baseSwitchedOff);
    connect(basePage->Button72, &QPushButton::clicked, this, &TForm1::Button72Click);

    FormCreate();

    pictureFolder = QCoreApplication::applicationDirPath();
    Form2 = new TForm2(exchange, this);
    Form2->hide();
    connect(Form2, &TForm2::sensorTypeChosen, this, &TForm1::sensorTypeChosen);

    exportHandler_ = new ExportHandler(messages_, this);
    exportHandler_->attach(*this);
    settingsRun_ = new SettingsRun(this);
    settingsHandler_ = new SettingsHandler(*this, messages_, *settingsRun_);
    clock = [started = QDateTime::currentMSecsSinceEpoch()] {
        return QDateTime::currentMSecsSinceEpoch() - started;
    };
    calibrationRun_ = new CalibrationRun([this] { return clock(); }, this);
    standRun_ = new CalibrationRun([this] { return clock(); }, this);
    calibrationHandler_ = new CalibrationHandler(*this, messages_, *calibrationRun_);
    workshopHandler_ = new WorkshopHandler(*this, messages_, *calibrationHandler_);
    standHandler_ = new StandHandler(*this, messages_, *calibrationHandler_);

    // What the handlers put on the device list page, already shown, shows with
    // it, as on a window built whole.
    for (QWidget *w : usbPage->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!w->testAttribute(Qt::WA_WState_ExplicitShowHide))
            w->show();

    Timer2->start();
    Timer3->start();
    emit built();
}

TForm1::~TForm1() = default;

void TForm1::buildFrame() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(0, 0, 793, 569);
    usbPage = new UsbPage;
    usbPage->setObjectName("TabSheet1");
    TabSheets[PageIndex::Usb] = usbPage;
    PageControl1->addTab(usbPage, QString::fromUtf8(DesignCaptions[PageIndex::Usb]));
    ListView1 = usbPage->ListView1;
    Button1 = usbPage->Button1;
    Label1 = usbPage->Label1;
    Panel1 = usbPage->Panel1;
    ProgressBar1 = usbPage->ProgressBar1;
}

void TForm1::buildBlockPages() {
    basePage = new BasePage(exchange, *Timer1);
    pumpPage = new PumpPage(exchange, *Timer1);
    blockPages[PageIndex::Base] = basePage;
    blockPages[PageIndex::Pump] = pumpPage;
    for (int i = PageIndex::Usb + 1; i < PageIndex::Count; ++i) {
        QWidget *page = blockPages[static_cast<std::size_t>(i)];
        if (!page) {
            // The sensor page comes inside it once needed.
            page = new QWidget;
            auto *layout = new QVBoxLayout(page);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        page->setObjectName(QString("TabSheet%1").arg(i + 1));
        TabSheets[static_cast<std::size_t>(i)] = page;
        PageControl1->addTab(page, QString::fromUtf8(DesignCaptions[i]));
    }
    Panel2 = basePage->Panel2;

    ++programmaticPageChange_;
    for (int i = 1; i < PageIndex::Count; ++i)
        setTabShown(i, false);
    --programmaticPageChange_;
}

void TForm1::makePage(int index) {
    if (index <= PageIndex::Pump || index >= PageIndex::Count ||
        blockPages[static_cast<std::size_t>(index)])
        return;
    BlockPage *page = nullptr;
    switch (index) {
    case PageIndex::Tks:
        page = tksPage = new TksPage(exchange, *Timer1, messages_);
        break;
    case PageIndex::Pgs:
        page = pgsPage = new PgsPage(exchange, *Timer1);
        break;
    case PageIndex::TksPgs:
        page = tksPgsPage = new TksPgsPage(exchange, *Timer1, messages_);
        break;
    case PageIndex::Hydrogen:
        page = hydrogenPage = new HydrogenPage(exchange, *Timer1, messages_);
        break;
    case PageIndex::OpticMethane:
        page = opticalPage = new OpticalPage(exchange, *Timer1);
        break;
    case PageIndex::Oxygen:
        page = oxygenPage = new OxygenPage(exchange, *Timer1, messages_);
        break;
    default:
        return;
    }
    blockPages[static_cast<std::size_t>(index)] = page;
    QWidget *tab = TabSheets[static_cast<std::size_t>(index)];
    page->setParent(tab);
    tab->layout()->addWidget(page);
    // Under the buttons the handlers put on the tab.
    page->lower();
    exportHandler_->attach(*page);
    if (oxygenPage && page == oxygenPage && !FrontEndPicture.isNull())
        oxygenPage->setPicture(FrontEndPicture);
}

int TForm1::activePage() const {
    return PageControl1->currentIndex();
}

void TForm1::setActivePage(int index) {
    ++programmaticPageChange_;
    PageControl1->setCurrentIndex(index);
    --programmaticPageChange_;
}

void TForm1::setTabShown(int index, bool shown, const QString &caption) {
    if (shown)
        makePage(index);
    ++programmaticPageChange_;
    if (!caption.isNull())
        PageControl1->setTabText(index, caption);
    // A hidden tab is disabled too, or keys and the wheel could still select it.
    PageControl1->setTabEnabled(index, shown);
    PageControl1->setTabVisible(index, shown);
    --programmaticPageChange_;
}

bool TForm1::isTabShown(int index) const {
    return PageControl1->isTabVisible(index);
}

void TForm1::onCurrentChanged(int) {
    if (programmaticPageChange_ == 0)
        PageControl1Change();
}

void TForm1::setFileChooser(FileChooser &chooser) {
    exportHandler_->setFileChooser(chooser);
    settingsHandler_->setFileChooser(chooser);
    calibrationHandler_->setFileChooser(chooser);
    workshopHandler_->locationDialog()->setFileChooser(chooser);
    standHandler_->setFileChooser(chooser);
}

bool TForm1::calibrationBusy() const {
    return calibrationRun_->busy() || standRun_->busy();
}

bool TForm1::settingsBusy() const {
    return settingsRun_->busy();
}

void TForm1::Timer3Timer() {
    if (Form2->isVisible())
        Form2->update();
}
