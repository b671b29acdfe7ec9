// Message boxes on screen: a text already showing opens no second box.
// The boxes here are not modal, so nothing waits on them.

#include "dialogs/BoxMessages.h"

#include <QMessageBox>
#include <QTest>
#include <QWidget>

class TestBoxes : public QObject {
    Q_OBJECT

    static QList<QMessageBox *> boxes(QWidget &parent) {
        QList<QMessageBox *> open;
        for (QMessageBox *b : parent.findChildren<QMessageBox *>())
            if (b->isVisible())
                open << b;
        return open;
    }

  private slots:
    void sameTextNeverStacks() {
        QWidget window;
        window.show();
        BoxMessages messages(&window, Qt::NonModal);
        for (int i = 0; i < 5; ++i)
            messages.information("Прибор неизвестен!");
        QCOMPARE(boxes(window).size(), 1);
        QCOMPARE(boxes(window).first()->text(), QString("Прибор неизвестен!"));
        QCOMPARE(boxes(window).first()->icon(), QMessageBox::NoIcon);

        messages.error("FT_Read - Invalid handle...");
        QCOMPARE(boxes(window).size(), 2);

        // Once the technician closed it, the same text may show again.
        for (QMessageBox *b : boxes(window))
            if (b->text() == "Прибор неизвестен!")
                b->done(QMessageBox::Ok);
        QCOMPARE(boxes(window).size(), 1);
        messages.information("Прибор неизвестен!");
        QCOMPARE(boxes(window).size(), 2);
        for (QMessageBox *b : boxes(window))
            b->done(QMessageBox::Ok);
    }

    void errorsCarryTheErrorIcon() {
        QWidget window;
        window.show();
        BoxMessages messages(&window, Qt::NonModal);
        messages.error("FT_Close - Invalid handle...");
        QList<QMessageBox *> open = boxes(window);
        QCOMPARE(open.size(), 1);
        QCOMPARE(open.first()->icon(), QMessageBox::Critical);
        QCOMPARE(open.first()->standardButtons(), QMessageBox::Ok);
        open.first()->done(QMessageBox::Ok);
    }

    // A box a second window raises stands over that window, and the main
    // window's boxes stay with the main window.
    void eachWindowHasItsOwnBoxes() {
        QWidget main, calibration;
        main.show();
        calibration.show();
        BoxMessages messages(&main, Qt::NonModal);
        Messages &own = messages.of(&calibration);
        QCOMPARE(&messages.of(&calibration), &own);
        QCOMPARE(&messages.of(&main), static_cast<Messages *>(&messages));
        own.error("Запись о калибровке не сохранена");
        messages.error("Запись о калибровке не сохранена");
        QCOMPARE(boxes(calibration).size(), 1);
        QCOMPARE(boxes(main).size(), 1);
        for (QWidget *w : {&main, &calibration})
            for (QMessageBox *b : boxes(*w))
                b->done(QMessageBox::Ok);
    }
};

QTEST_MAIN(TestBoxes)
#include "test_boxes.moc"
