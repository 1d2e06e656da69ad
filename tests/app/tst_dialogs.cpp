// The operator dialogs and the screen saver: what they show, how they answer
// and when they close.

#include "support_app.h"

#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/ScreenSaver.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "data/UserSettings.h"
#include "platform/devices.h"

#include <QImage>

namespace {

const QString kLongText = QString("Verificare che l'adattatore wifi sia inserito.\nSpegnere la macchina, ").repeated(3);

bool fits(QLabel *l)
{
    const int flags = int(l->alignment()) | Qt::TextWordWrap;
    return QFontMetrics(l->font()).boundingRect(l->contentsRect(), flags, l->text()).height()
           <= l->contentsRect().height();
}

QByteArray backlight(const TempRoot &root)
{
    return root.readFile(QString::fromStdString(platform::backlightPath()).mid(root.root().size()));
}

void awaitAnswer(int command, int answer = -1) // -1: still awaited
{
    FifoLock lock;
    answer < 0 ? waitStateVar(command) : setStateVar(command, answer == 1);
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initAppResources();
        syscmd::setSyncRunnerForTests([] {});
    }
    void init()
    {
        FifoLock lock;
        resetStateVar();
    }
    void cleanup() { closeWindows(); }

    void errorDialogClosesOnItsKeyAndFitsLongTexts()
    {
        QString shown;
        QPointer<ErrorMessage> seen;
        auto found = whenModal<ErrorMessage>([&](ErrorMessage *e) {
            seen = e;
            shown = e->findChild<QLabel *>("message")->text();
            QTest::mouseClick(e->findChild<QPushButton *>("ok"), Qt::LeftButton);
        });
        DisplayError("Firmware file not found.", QString(), true);
        QVERIFY(*found);
        QCOMPARE(shown, QString("Firmware file not found."));
        QTRY_VERIFY(seen.isNull()); // deleted on close
        ErrorMessage missing(nullptr, ":/image/no such picture.gif");
        QVERIFY(missing.findChild<QLabel *>("picture")->isHidden());
        missing.setDisplayMessage(kLongText); // shrunk until it fits, never cut
        QVERIFY(fits(missing.findChild<QLabel *>("message")));
    }

    void errorDialogFromAnotherThreadIsShownOnTheGuiThread()
    {
        QThread *worker = QThread::create([] { DisplayError("Recipe Saving Error.", QString(), true); });
        worker->start();
        QVERIFY(worker->wait(3000));
        delete worker;
        QTRY_COMPARE(visibleWindows<ErrorMessage>().size(), 1);
        QCOMPARE(visibleWindows<ErrorMessage>().first()->displayMessage(), QString("Recipe Saving Error."));
        QCOMPARE(visibleWindows<ErrorMessage>().first()->thread(), qApp->thread());
    }

    void messageKeysAndAnswers_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("keys"); // the visible keys' texts
        QTest::addColumn<int>("answer");
        QTest::newRow("own keys") << "" << "" << "okKey" << "NO|YES" << 1;
        QTest::newRow("a single key answers 0") << "OK" << "" << "cancelKey" << "OK" << 0;
        QTest::newRow("two keys") << "Ricorda" << "OK" << "cancelKey" << "Ricorda|OK" << 0;
    }
    void messageKeysAndAnswers()
    {
        QFETCH(QString, press);
        QStringList keys;
        whenModal<DialogMessage>([&](DialogMessage *d) {
            for (const char *name : {"cancelKey", "okKey"})
                if (auto *b = d->findChild<QPushButton *>(name); b->isVisible())
                    keys << b->text();
            QTest::mouseClick(d->findChild<QPushButton *>(press), Qt::LeftButton);
        });
        QFETCH(QString, first);
        QFETCH(QString, second);
        QTEST(DisplayDialogMsg("Cambiare filtro aspirazione aria", 0, false, first, second), "answer");
        QTEST(SubWindowReturnStatus.load(), "answer");
        QTEST(keys.join('|'), "keys");
    }

    void messageAutoCloseAnswersNoEvenAfterAYes()
    {
        SubWindowReturnStatus = 1;
        QElapsedTimer t;
        t.start();
        QCOMPARE(DisplayDialogMsg("Nobody answers", 300, false, "NO", "YES", QString()), 0);
        QVERIFY(t.elapsed() >= 250 && t.elapsed() < 3000);
    }

    void waitDialogClosesWhenEveryCommandIsAnswered()
    {
        enableScreenSaver = true;
        awaitAnswer(3);
        awaitAnswer(4);
        auto *wait = new WaitResponseCmd(nullptr, true);
        wait->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<WaitResponseCmd> guard = wait;
        wait->show();
        QVERIFY(!enableScreenSaver && QApplication::activeModalWidget() == wait);
        awaitAnswer(3, 1);
        wait->updateState();
        QVERIFY(wait->isVisible()); // command 4 is still awaited
        awaitAnswer(4, 0); // a refusal is an answer too
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 2000);
    }

    void waitDialogWithoutAutomaticCloseStaysAndShowsProgress()
    {
        awaitAnswer(48);
        WaitResponseCmd wait(nullptr, false);
        wait.setDisplayText(kLongText.left(70)); // shrunk until it fits, never cut
        actualWaitProgress = 77;
        wait.setProgressMinMax(0, 200);
        QCOMPARE(actualWaitProgress.load(), 0);
        wait.show();
        QVERIFY(fits(wait.findChild<QLabel *>("displayText")));
        actualWaitProgress = 5000; // beyond the range: shown full, not wrapped
        wait.updateState();
        QCOMPARE(wait.progressValue(), 200);
        awaitAnswer(48, 1);
        QTest::qWait(600);
        QVERIFY(wait.isVisible());
    }

    void screenSaverLogoThenReminderThenDimmedUntilATouch()
    {
        TempRoot root;
        enableScreenSaver = false;
        QVERIFY(settings.setMyBrightness(70));
        QImage logo(200, 100, QImage::Format_RGB32);
        logo.fill(Qt::red);
        QVERIFY(logo.save(root.path("/home/root/logo.png")));
        ScreenSaver saver;
        saver.show();
        auto *logoLabel = saver.findChild<QLabel *>("logo");
        auto *text = saver.findChild<QLabel *>("text");
        QVERIFY(logoLabel->isVisible() && !text->isVisible());
        saver.stepTimeout(); // first minute
        QVERIFY(!logoLabel->isVisible() && text->isVisible() && backlight(root).isEmpty());
        saver.stepTimeout(); // second minute
        QCOMPARE(backlight(root), QByteArray("5\n"));
        QVERIFY(!saver.timerActive());
        // A touch restores the brightness and lets the saver come again.
        QTest::mouseClick(&saver, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!saver.isVisible() && enableScreenSaver);
        QCOMPARE(backlight(root), QByteArray("70\n"));
        saver.show(); // shown again, it starts over from the logo
        QVERIFY(logoLabel->isVisible());
    }

    void screenSaverTouchReachesItAboveAWaitingErrorDialog()
    {
        TempRoot root;
        ScreenSaver saver;
        bool saverOnTop = false, closed = false, errorBack = false;
        whenModal<ErrorMessage>([&](ErrorMessage *error) {
            // The home screen's poll opens the saver while the error waits.
            saver.show();
            saverOnTop = QApplication::activeModalWidget() == &saver;
            // Through the window system, which drops input to blocked windows.
            QTest::mouseClick(saver.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
            closed = !saver.isVisible();
            errorBack = QApplication::activeModalWidget() == error;
            saver.hide();
            error->close();
        });
        DisplayError("MANUTENZIONE PROGRAMMA.\nCONTATTARE L'ASSISTENZA.", QString(), true);
        QVERIFY(saverOnTop && closed && errorBack);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
