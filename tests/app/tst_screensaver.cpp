// The screen saver's steps and what closing it re-arms, with a pinned clock.

#include "support_app.h"

#include "TempRoot.h"
#include "app/AppState.h"
#include "app/ErrorMessage.h"
#include "app/ScreenSaver.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "platform/clock.h"
#include "platform/devices.h"

#include <QImage>
#include <QLabel>
#include <QtTest>

class ScreenSaverTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void logoThenReminderThenDimmed();
    void touchClosesAndRearms();
    void withoutLogoTheReminderShowsAtOnce();
    void aTouchReachesItAboveAWaitingErrorDialog();

private:
    QByteArray backlight(const TempRoot &root) const
    {
        return root.readFile(QString::fromStdString(platform::backlightPath()).mid(root.root().size()));
    }
};

void ScreenSaverTest::initTestCase()
{
    initAppResources();
    syscmd::setSyncRunner([] {});
}

void ScreenSaverTest::cleanup()
{
    platform::clearFixedNow();
}

void ScreenSaverTest::logoThenReminderThenDimmed()
{
    TempRoot root;
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::red);
    QVERIFY(logo.save(root.path("/home/root/logo.png")));

    ScreenSaver saver;
    saver.show();
    auto *logoLabel = saver.findChild<QLabel *>("logo");
    auto *text = saver.findChild<QLabel *>("text");
    QCOMPARE(int(saver.step()), 0);
    QVERIFY(logoLabel->isVisible());
    QVERIFY(!logoLabel->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(!text->isVisible());
    QVERIFY(saver.timerActive());

    saver.stepTimeout(); // first minute
    QVERIFY(!logoLabel->isVisible());
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), QString("RICORDA DI PULIRE LA MACCHINA A FINE GIORNATA"));
    QVERIFY(backlight(root).isEmpty());
    QVERIFY(saver.timerActive());

    saver.stepTimeout(); // second minute
    QCOMPARE(backlight(root), QByteArray("5\n"));
    QVERIFY(!saver.timerActive());

    // Shown again, it starts over from the logo.
    saver.hide();
    saver.show();
    QCOMPARE(int(saver.step()), 0);
    QVERIFY(logoLabel->isVisible());
    saver.hide();
}

void ScreenSaverTest::touchClosesAndRearms()
{
    TempRoot root;
    platform::setFixedNow(1'700'000'000);
    enableScreenSaver = false;
    lastUserEventOccurred = 0;
    QVERIFY(settings.setMyBrightness(70));
    QVERIFY(settings.setScreenSaverTime(60));

    ScreenSaver saver;
    saver.show();
    saver.stepTimeout();
    saver.stepTimeout();
    QCOMPARE(backlight(root), QByteArray("5\n"));

    QTest::mouseClick(&saver, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!saver.isVisible());
    QVERIFY(!saver.timerActive());
    QCOMPARE(backlight(root), QByteArray("70\n"));
    QCOMPARE(lastUserEventOccurred.load(), uint64_t(1'700'000'060));
    QVERIFY(enableScreenSaver);
}

void ScreenSaverTest::withoutLogoTheReminderShowsAtOnce()
{
    TempRoot root;
    ScreenSaver saver;
    saver.show();
    QVERIFY(saver.findChild<QLabel *>("text")->isVisible());
    QVERIFY(!saver.findChild<QLabel *>("logo")->isVisible());
    saver.hide();
}

void ScreenSaverTest::aTouchReachesItAboveAWaitingErrorDialog()
{
    TempRoot root;
    ScreenSaver saver;
    bool saverOnTop = false, closed = false, errorBack = false;
    whenModal<ErrorMessage>([&](ErrorMessage *error) {
        // The home screen's poll opens the saver while the error waits.
        saver.show();
        saverOnTop = QApplication::activeModalWidget() == &saver;
        // A real touch goes through the window system, which drops input to
        // windows a modal window blocks.
        QTest::mouseClick(saver.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
        closed = !saver.isVisible();
        errorBack = QApplication::activeModalWidget() == error;
        saver.hide();
        error->close();
    });
    DisplayError("MANUTENZIONE PROGRAMMA.\nCONTATTARE L'ASSISTENZA.", QString(), true);
    QVERIFY(saverOnTop);
    QVERIFY(closed);
    QVERIFY(errorBack);
}

QTEST_MAIN(ScreenSaverTest)
#include "tst_screensaver.moc"
