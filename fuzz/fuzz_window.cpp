// The main window over the fake driver, driven the way the technician and the
// line drive it: opening the adapter, identification of any kind, page
// changes, replies good and bad from any block, transmit ticks, button
// clicks, typing, the multiplexer window, device-change notices and adapter
// failures, and the calibration window: opened from a sensor page, its fields
// filled, started, stepped through by its buttons, closed midway, its
// certificate saved. Nothing may crash, every frame that goes out must add
// up, and no calibration may go on once the connection has ended.
//
// Input: up to MaxOperations operations, each an opcode byte and its operands.
// Opcodes from CalibrationOps on drive the calibration window; below it, the
// low four bits choose the move.

#include "FuzzInput.h"
#include "calibration/CalibrationProcedure.h"
#include "export/FileChooser.h"
#include "link/DeviceChangeWait.h"
#include "mux/TForm2.h"
#include "testsupport/FakeFtDriver.h"
#include "testsupport/RecordingMessages.h"
#include "ui/CalibrationHandler.h"
#include "ui/TForm1.h"
#include "workshop/CalibrationContextFields.h"
#include "workshop/CalibrationWindow.h"
#include "workshop/CylinderFields.h"

#include <QApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int MaxOperations = 64;
// A new window costs five inputs' time; between new windows the old one is
// brought back to its device list. Pages keep what was typed and drawn.
constexpr int InputsPerWindow = 500;
// Opcodes from here on are the calibration window's moves.
constexpr std::uint8_t CalibrationOps = 0xE0;
// The calibration's clock moves with the ticks, as the timers would move it.
constexpr std::int64_t TransmitMs = 350;
constexpr std::int64_t ReceiveMs = 100;
constexpr std::uint8_t Kinds[6] = {1, 2, 3, 4, 5, 7};
constexpr std::uint8_t KnownBlocks[8] = {Block::Base,         Block::Tks,   Block::Pgs,
                                         Block::OpticMethane, Block::Pump,  Block::TksPgs,
                                         Block::Hydrogen,     Block::Oxygen};
constexpr FakeFtDriver::Op DriverOps[] = {FakeFtDriver::Op::ListCount,
                                          FakeFtDriver::Op::ListSerialNumber,
                                          FakeFtDriver::Op::ListDescription,
                                          FakeFtDriver::Op::Open,
                                          FakeFtDriver::Op::Close,
                                          FakeFtDriver::Op::Read,
                                          FakeFtDriver::Op::Write,
                                          FakeFtDriver::Op::SetBaudRate,
                                          FakeFtDriver::Op::SetDataCharacteristics,
                                          FakeFtDriver::Op::Purge,
                                          FakeFtDriver::Op::GetStatus};

// The file dialogs answer one file in a folder of the bench's own: settings
// saved there are the ones loaded again; certificates go beside them.
struct OneFile : FileChooser {
    QTemporaryDir dir;
    QString saveFileName(QWidget *, const QString &, const QString &,
                         const QString &filter) override {
        return dir.filePath(filter.contains("pdf") ? "certificate.pdf" : "settings.json");
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return dir.filePath("settings.json");
    }
};

struct Bench {
    FakeFtDriver driver;
    RecordingMessages messages;
    OneFile files;
    std::unique_ptr<TForm1> form;
    std::int64_t nowMs = 0;

    Bench() {
        driver.adapters = {{"FT232R USB UART", "A50285BI"}, {"USB Serial", "FT9XK2LM"}};
        form = std::make_unique<TForm1>(driver, messages);
        form->setFileChooser(files);
        form->pictureFolder = ZE23_PICTURE_DIR;
        form->clock = [this] { return nowMs; };
        // The journal of calibrations in the bench's folder, never the user's.
        form->calibration()->setRecordsPath(files.dir.filePath("records.sqlite"));
        // Shown, so that only what the technician could reach is reachable,
        // but drawn only when asked to.
        form->setAttribute(Qt::WA_DontShowOnScreen);
        form->Form2->setAttribute(Qt::WA_DontShowOnScreen);
        calibrationWindow()->setAttribute(Qt::WA_DontShowOnScreen);
        form->show();
    }

    CalibrationWindow *calibrationWindow() const { return form->calibration()->window(); }

    // Back to the device list with nothing open and nothing pending.
    void reset() {
        for (FakeFtDriver::Op op : DriverOps)
            driver.failWith(op, FT_OK);
        form->deviceChangeWait->stop();
        if (form->ConnectionOpen)
            form->Button1Click();
        calibrationWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        if (driver.isOpen())
            driver.close(form->ft.DeviceHandle);
        form->Form2->hide();
        form->HideBlockPages();
        form->RefreshDeviceList();
        form->exchange = ExchangeCycle{};
        form->IdentifiedType = 0;
        for (QPlainTextEdit *trace : form->findChildren<QPlainTextEdit *>())
            trace->clear();
        driver.clearWritten();
        messages.clear();
        // Loaded settings go on to be written.
        messages.answer = true;
    }

    // Every write is one whole frame with its checksum.
    void checkWritten() {
        const std::vector<std::uint8_t> &w = driver.written();
        check(w.size() % FrameSize == 0);
        for (std::size_t i = 0; i < w.size(); i += FrameSize) {
            Frame f;
            std::copy_n(w.begin() + static_cast<std::ptrdiff_t>(i), FrameSize, f.begin());
            check(checksumHolds(f));
        }
        driver.clearWritten();
    }

    // A calibration needs the line: once the connection has ended, none runs.
    void checkCalibration() { check(form->ConnectionOpen || !form->calibrationBusy()); }

    void receive(const std::vector<std::uint8_t> &bytes) {
        driver.queueIncoming(bytes);
        nowMs += ReceiveMs;
        form->Timer2Timer();
    }

    void reply(std::uint8_t b0, Reader &in) {
        Frame f{b0};
        for (std::size_t i = 1; i < 7; ++i)
            f[i] = in.next();
        f = sealed(f);
        receive({f.begin(), f.end()});
    }

    // Only what is on screen, enabled and `usable`, in a fixed order.
    template <class W, class Usable> W *pick(std::uint8_t index, Usable usable) {
        QList<W *> all = form->findChildren<W *>();
        all.removeIf([&](W *w) { return !w->isVisible() || !w->isEnabled() || !usable(w); });
        if (all.isEmpty())
            return nullptr;
        std::sort(all.begin(), all.end(),
                  [](W *a, W *b) { return a->objectName() < b->objectName(); });
        return all[index % all.size()];
    }

    void type(QLineEdit *edit, Reader &in) {
        static const char Typed[] = "0123456789 -+,.x";
        for (int n = in.next() % 8; n > 0; --n) {
            const std::uint8_t b = in.next();
            int key = 0;
            QString text;
            if (b < 0xC0) {
                text = QChar(Typed[b % 16]);
                key = text[0].toUpper().unicode();
            } else {
                constexpr int Keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Home,
                                        Qt::Key_End,       Qt::Key_Left,   Qt::Key_Right,
                                        Qt::Key_Return};
                key = Keys[b % 7];
                if (key == Qt::Key_Return)
                    text = "\r";
            }
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(edit, &release);
        }
    }

    // Text a field takes: valid, or of the fuzzer's choosing.
    static QString fieldText(Reader &in) {
        static const char *const Valid[] = {
            "Иванов И. И.", "ГСО 10-123", "CH4 в воздухе", "2,50", "0,05", "0.2", "", "100", "1e3"};
        const std::uint8_t how = in.next();
        if (how < 0x80)
            return QString::fromUtf8(Valid[how % std::size(Valid)]);
        static const QString Typed = QString::fromUtf8("0123456789 -+,.Ж");
        QString text;
        for (int n = how % 8; n > 0; --n)
            text += Typed[in.next() % Typed.size()];
        return text;
    }

    void fillCalibration(CalibrationWindow &w, Reader &in) {
        // The second gas's number and concentration too (the oxygen zero's
        // nitrogen, the ПГС threshold-2 gas).
        for (QLineEdit *edit :
             {w.technicianEdit, w.context->temperatureEdit, w.context->humidityEdit,
              w.cylinderNumberEdit, w.cylinderGasEdit, w.cylinderConcentrationEdit,
              w.steadyBandEdit, w.toleranceEdit, w.secondCylinders->cylinderNumberEdit,
              w.secondCylinders->cylinderConcentrationEdit})
            edit->setText(fieldText(in));
        // Days from today, mostly ahead: an expired cylinder now and then.
        w.cylinderExpiryEdit->setDate(QDate::currentDate().addDays(int(in.next()) - 16));
        w.steadySecondsSpin->setValue(in.next() % 40);
    }

    void operateCalibration(std::uint8_t op, Reader &in) {
        CalibrationWindow &w = *calibrationWindow();
        switch (op % 8) {
        case 0:
            // From the page on show, as its button would, or any page.
            form->calibration()->openWindow(in.next() % 2 ? form->activePage()
                                                          : in.next() % PageIndex::Count);
            break;
        case 1:
            if (w.isVisible())
                fillCalibration(w, in);
            break;
        case 2:
            if (w.startButton->isVisible())
                w.startButton->click();
            break;
        case 3:
        case 4: {
            QList<QPushButton *> shown;
            for (auto &[action, button] : w.actionButtons)
                if (button->isVisible() && button->isEnabled())
                    shown.append(button);
            if (!shown.isEmpty())
                shown[in.next() % shown.size()]->click();
            break;
        }
        case 5:
            // Time passes: a steady wait runs out, or a reading comes late.
            nowMs += std::int64_t(in.next()) * 500;
            break;
        case 6:
            if (w.isVisible())
                w.closeButton->click();
            break;
        default:
            if (w.certificateButton->isVisible() && w.certificateButton->isEnabled())
                w.certificateButton->click();
            break;
        }
        // What the event loop would deliver: the window told of each step,
        // the record kept once the procedure is over.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }

    void operate(std::uint8_t op, Reader &in) {
        if (op >= CalibrationOps)
            return operateCalibration(op, in);
        switch (op % 16) {
        case 0:
            form->ListView1->selectRow(in.next() % 3);
            form->ListView1DblClick();
            break;
        case 1: {
            const std::uint8_t kind = Kinds[in.next() % 6];
            const std::uint8_t lo = in.next(), hi = in.next();
            const Frame f = sealed({0, Code::Identify, 0, 0, kind, lo, hi, 0});
            receive({f.begin(), f.end()});
            break;
        }
        case 2:
            form->PageControl1->setCurrentIndex(in.next() % PageIndex::Count);
            break;
        case 3:
        case 4:
            reply(KnownBlocks[in.next() % 8], in);
            break;
        case 5:
            reply(in.next(), in);
            break;
        case 6: {
            std::vector<std::uint8_t> noise(in.next() % 24);
            for (std::uint8_t &b : noise)
                b = in.next();
            receive(noise);
            break;
        }
        case 7:
        case 8:
            nowMs += TransmitMs;
            form->Timer1Timer();
            break;
        case 9:
            if (auto *b = pick<QPushButton>(in.next(), [](QPushButton *) { return true; }))
                b->click();
            break;
        case 10:
            if (auto *e = pick<QLineEdit>(in.next(), [](QLineEdit *e) { return !e->isReadOnly(); }))
                type(e, in);
            break;
        case 11:
            form->Button72Click();
            break;
        case 12: {
            const std::uint8_t how = in.next();
            if (!form->Form2->isVisible())
                break;
            if (how < 0x40)
                form->Form2->RadioItems[how % 5]->click();
            else if (how < 0x48)
                form->Form2->hide();
            else {
                const int x = in.next();
                const int y = in.next() * 2 % 330;
                form->Form2->FormClick(QPoint(x, y));
            }
            break;
        }
        case 13: {
            const std::uint8_t how = in.next();
            form->WMDeviceChange(how & 1 ? TForm1::DeviceRemoveComplete : TForm1::DeviceArrival);
            // Sometimes the wait runs to its end, as if the timer had.
            if (how & 2)
                for (int i = 0; i <= DeviceChangeWait::LastStep + 1; ++i)
                    form->deviceChangeWait->step();
            break;
        }
        case 14: {
            const std::uint8_t how = in.next();
            driver.failWith(DriverOps[how % std::size(DriverOps)],
                            how & 0x80 ? FT_OK : FT_IO_ERROR);
            break;
        }
        default: {
            // Now and then the window is drawn, charts and all.
            const std::uint8_t how = in.next();
            if (how < 0x10)
                form->grab();
            else if (how < 0x20 && form->Form2->isVisible())
                form->Form2->grab();
            else
                form->Timer3Timer();
            break;
        }
        }
    }
};

QApplication *app = nullptr;
Bench *bench = nullptr;
QtMessageHandler defaultHandler = nullptr;

// The offscreen platform cannot raise a window and says so on every click of
// Button72; everything else is let through.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (type == QtWarningMsg && text.startsWith("This plugin does not support"))
        return;
    if (defaultHandler)
        defaultHandler(type, context, text);
}

} // namespace

// Fontconfig keeps its cache for the life of the process.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" const char *__lsan_default_options() {
    return "print_suppressions=0";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(quietHandler);
    // The fields the calibration window remembers go to a settings file of
    // tests, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    app = new QApplication(*argc, *argv);
    bench = new Bench;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static int inputs = 0;
    if (++inputs % InputsPerWindow == 0) {
        delete bench;
        bench = new Bench;
    }
    bench->reset();
    Reader in(data, size);
    for (int n = 0; n < MaxOperations && !in.done(); ++n) {
        bench->operate(in.next(), in);
        bench->checkWritten();
        bench->checkCalibration();
    }
    // Layout and the like, posted meanwhile; timers stay unfired.
    QCoreApplication::sendPostedEvents();
    return 0;
}
