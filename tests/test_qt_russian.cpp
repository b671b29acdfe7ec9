// Qt's own texts come out in Russian once its translations are installed,
// whatever the system's language (the tests run under LC_ALL=C.UTF-8).

#include "settings/QtRussian.h"

#include <QCoreApplication>
#include <QTest>

class TestQtRussian : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(installQtRussian(*QCoreApplication::instance())); }
    void texts_data();
    void texts();
};

void TestQtRussian::texts_data() {
    QTest::addColumn<QByteArray>("context");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("russian");
    QTest::newRow("file dialog: open")
        << QByteArray("QFileDialog") << QByteArray("Open") << "Открыть";
    QTest::newRow("file dialog: folder")
        << QByteArray("QFileDialog") << QByteArray("Folder") << "Папка";
    QTest::newRow("button: cancel")
        << QByteArray("QPlatformTheme") << QByteArray("Cancel") << "Отмена";
}

void TestQtRussian::texts() {
    QFETCH(QByteArray, context);
    QFETCH(QByteArray, source);
    QFETCH(QString, russian);
    QCOMPARE(QCoreApplication::translate(context.constData(), source.constData()), russian);
}

QTEST_GUILESS_MAIN(TestQtRussian)
#include "test_qt_russian.moc"
