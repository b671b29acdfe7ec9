#pragma once
// The main window: owner of the link, the frames, the three timers and every
// page for the whole run of the program.

#include "link/D2xxLayer.h"
#include "link/D2xxLinkPort.h"
#include "protocol/ExchangeCycle.h"
#include "protocol/SilentSearch.h"
#include "ui/PageIndex.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>

class BasePage;
class CalibrationHandler;
class CalibrationRun;
class StandHandler;
class BlockPage;
class HydrogenPage;
class OpticalPage;
class OxygenPage;
class PgsPage;
class PumpPage;
class TksPage;
class TksPgsPage;
class DeviceChangeWait;
class ExportHandler;
class FileChooser;
class Messages;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;
class SettingsHandler;
class SettingsRun;
class TForm2;
class UsbPage;
class WorkshopHandler;

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // Device-change notices, as the window receives them.
    static constexpr unsigned DeviceArrival = 0x8000;
    static constexpr unsigned DeviceRemoveComplete = 0x8004;

    // Whole: everything built before the constructor returns. FirstPageFirst:
    // the window, its tab control and the device list page alone, so that it
    // is on screen at once; the block pages, the multiplexer window and the
    // handlers follow once it has been painted (or when finishBuilding() is
    // called), and built() is emitted then.
    enum class Building { Whole, FirstPageFirst };
    TForm1(FtDriver &driver, Messages &messages, QWidget *parent = nullptr,
           Building building = Building::Whole);
    ~TForm1() override;
    // Builds what FirstPageFirst left for later; nothing once built.
    void finishBuilding();
    bool isBuilt() const { return built_; }

    // --- state shared by the handlers ---
    D2xxLayer ft;
    ExchangeCycle exchange;
    bool ConnectionOpen = false;
    std::uint8_t IdentifiedType = 0;
    // From the same answer of the base (bytes 5 and 6).
    std::uint16_t IdentifiedSerialNumber = 0;
    QString selectedSerialNumber;
    QString selectedDescription;

    // --- widgets ---
    QTabWidget *PageControl1 = nullptr;
    std::array<QWidget *, PageIndex::Count> TabSheets{};
    UsbPage *usbPage = nullptr;
    BasePage *basePage = nullptr;
    PumpPage *pumpPage = nullptr;
    // The sensor pages, each made when an instrument with that block is first
    // identified (makePage()); nullptr before.
    TksPage *tksPage = nullptr;
    PgsPage *pgsPage = nullptr;
    TksPgsPage *tksPgsPage = nullptr;
    HydrogenPage *hydrogenPage = nullptr;
    OpticalPage *opticalPage = nullptr;
    OxygenPage *oxygenPage = nullptr;
    // The decoder section of each page index; none for the device list and
    // the carbon-monoxide page.
    std::array<BlockPage *, PageIndex::Count> blockPages{};
    QTableWidget *ListView1 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Panel1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Panel2 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;
    TForm2 *Form2 = nullptr;
    DeviceChangeWait *deviceChangeWait = nullptr;
    QTimer *closingWait = nullptr;
    // Where the stand picture is read from: the program's folder.
    QString pictureFolder;
    QImage StandPicture;
    QImage FrontEndPicture;

    // --- common steps ---
    void RefreshDeviceList();
    void HideBlockPages();
    // Only while ConnectionOpen: ticks off, search notice cleared, adapter closed.
    void EndConnection();
    void Identify();
    void PageDecoder();
    // Queues what a page reads when it is entered (its block's version and
    // fields), or for the base page its own poll.
    void readPage(int page);

    int activePage() const;
    // Changes the page from code: the technician's page-change handler does not run.
    void setActivePage(int index);
    void setTabShown(int index, bool shown, const QString &caption = QString());
    bool isTabShown(int index) const;
    bool isClosing() const;
    // The file dialogs of the charts' and traces' exports and of the settings
    // files: Qt's unless another is put in (tests answer in its place).
    void setFileChooser(FileChooser &chooser);
    // A settings session has the line (or its end awaits its report).
    bool settingsBusy() const;
    // A calibration has the line, of one block or of a stand.
    bool calibrationBusy() const;
    CalibrationRun *standRun() const { return standRun_; }
    // Milliseconds from any fixed start: the calibration's time. Tests put in
    // a clock they move themselves.
    std::function<std::int64_t()> clock;
    CalibrationHandler *calibration() const { return calibrationHandler_; }
    WorkshopHandler *workshop() const { return workshopHandler_; }
    StandHandler *stand() const { return standHandler_; }

  public slots:
    void FormCreate();
    void Button1Click();
    void ListView1DblClick();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void PageControl1Change();
    // The operating system's device-change notice (arrival 0x8000, removal 0x8004).
    void WMDeviceChange(unsigned event);
    // Starts closing: with an adapter open it is closed first and the window
    // goes after a short wait.
    void FormClose();
    void Button72Click();
    // The base acknowledged the off command.
    void baseSwitchedOff();
    // The multiplexer window announced a sensor type: the base is told and
    // asked to identify itself again.
    void sensorTypeChosen(std::uint8_t typeCode);
    // End of the closing wait: the window goes.
    void finishClosing();

  signals:
    void built();

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

  private:
    bool built_ = false;
    // The tab control and the device list page.
    void buildFrame();
    // The base and pump pages, each on its tab, and a tab for each sensor
    // page (all hidden until identification).
    void buildBlockPages();
    // The sensor page of tab `index`, made inside its tab under the buttons
    // the handlers put there; nothing when made already.
    void makePage(int index);
    void deviceChangeWaitFinished();
    void onCurrentChanged(int index);
    // The search for the instrument begins or ends; the silence notice goes with it.
    void searching(bool on);

    Messages &messages_;
    D2xxLinkPort link_;
    ExportHandler *exportHandler_ = nullptr;
    SettingsRun *settingsRun_ = nullptr;
    SettingsHandler *settingsHandler_ = nullptr;
    CalibrationRun *calibrationRun_ = nullptr;
    CalibrationRun *standRun_ = nullptr;
    CalibrationHandler *calibrationHandler_ = nullptr;
    WorkshopHandler *workshopHandler_ = nullptr;
    StandHandler *standHandler_ = nullptr;
    void loadFrontEndPicture();

    SilentSearch silentSearch_;
    int programmaticPageChange_ = 0;
    // A front-end picture that cannot be read is reported once, not on every
    // entry to the oxygen page.
    bool frontEndPictureReported_ = false;
    bool closingDone_ = false;
};
