// The operator dialogs: what they show, how they answer and when they close.

#include "support_app.h"

#include "TempRoot.h"
#include "app/AppState.h"
#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/SuccessDialog.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "data/SystemCommand.h"
#include "link/SharedState.h"

#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void errorDialogModalShowsTextAndClosesOnItsKey();
    void errorDialogTitleAndPicture();
    void errorDialogNonModalReturnsAtOnce();
    void errorDialogFromAnotherThreadIsShownOnTheGuiThread();

    void messageKeysFollowTheLabelsGiven_data();
    void messageKeysFollowTheLabelsGiven();
    void messageAnswers();
    void messageAutoCloseAnswersNoEvenAfterAYes();

    void waitDialogClosesWhenEveryCommandIsAnswered();
    void waitDialogWithoutAutomaticCloseStays();
    void waitDialogProgress();

    void successDialogClosesByItself();
};

void DialogsTest::initTestCase()
{
    initAppResources();
    syscmd::setSyncRunner([] {});
}

void DialogsTest::init()
{
    pthread_mutex_lock(&serialFifoMutex);
    resetStateVar();
    pthread_mutex_unlock(&serialFifoMutex);
}

void DialogsTest::cleanup()
{
    // No dialog may outlive its test.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->close();
    }
    QTest::qWait(20);
}

void DialogsTest::errorDialogModalShowsTextAndClosesOnItsKey()
{
    QString shown;
    QPointer<ErrorMessage> seen;
    bool found = false;
    whenModal<ErrorMessage>(
        [&](ErrorMessage *e) {
            seen = e;
            shown = e->findChild<QLabel *>("message")->text();
            QTest::mouseClick(e->findChild<QPushButton *>("ok"), Qt::LeftButton);
        },
        &found);
    DisplayError("Firmware file not found.", QString(), true);
    QVERIFY(found);
    QCOMPARE(shown, QString("Firmware file not found."));
    // Deleted on close.
    QTRY_VERIFY(seen.isNull());
}

void DialogsTest::errorDialogTitleAndPicture()
{
    ErrorMessage plain(nullptr, QString(), false, false);
    QCOMPARE(plain.findChild<QLabel *>("title")->text(), QString("WARNING"));
    QVERIFY(plain.findChild<QLabel *>("picture")->isHidden());

    ErrorMessage board(nullptr, ":/icon/reload_3D_120.gif", true, true);
    QCOMPARE(board.findChild<QLabel *>("title")->text(), QString("ERROR"));
    QVERIFY(board.findChild<QLabel *>("title")->styleSheet().contains("rgb(242, 112, 113)"));
    QLabel *picture = board.findChild<QLabel *>("picture");
    QVERIFY(!picture->isHidden());
    QVERIFY(picture->movie() && picture->movie()->isValid());
    // The text moves beside the picture instead of under it.
    QVERIFY(board.findChild<QLabel *>("message")->x() > picture->geometry().right());

    // A resource that does not exist shows the text alone.
    ErrorMessage missing(nullptr, ":/image/no such picture.gif");
    QVERIFY(missing.findChild<QLabel *>("picture")->isHidden());

    // A long text is shrunk until it fits, never cut.
    const QString longText = QString("Verificare che l'adattatore wifi sia inserito.\nSpegnere la macchina, ").repeated(3);
    plain.setDisplayMessage(longText);
    QLabel *message = plain.findChild<QLabel *>("message");
    const QRect need = QFontMetrics(message->font()).boundingRect(message->contentsRect(),
                                                                 int(message->alignment()) | Qt::TextWordWrap, longText);
    QVERIFY(need.height() <= message->contentsRect().height());
    QVERIFY(message->font().pointSize() < 13);
}

void DialogsTest::errorDialogNonModalReturnsAtOnce()
{
    DisplayError("Comunicarion error.\nPerform machine restart.", QString(), false);
    const auto shown = visibleWindows<ErrorMessage>();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first()->displayMessage(), QString("Comunicarion error.\nPerform machine restart."));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QPointer<ErrorMessage> e = shown.first();
    e->close();
    QTRY_VERIFY(e.isNull());
}

void DialogsTest::errorDialogFromAnotherThreadIsShownOnTheGuiThread()
{
    QThread *worker = QThread::create([] { DisplayError("Recipe Saving Error.", QString(), true); });
    worker->start();
    QVERIFY(worker->wait(3000));
    delete worker;
    QTRY_COMPARE(visibleWindows<ErrorMessage>().size(), 1);
    ErrorMessage *e = visibleWindows<ErrorMessage>().first();
    QCOMPARE(e->displayMessage(), QString("Recipe Saving Error."));
    QCOMPARE(e->thread(), qApp->thread());
    e->close();
}

void DialogsTest::messageKeysFollowTheLabelsGiven_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("firstShown");  // empty: hidden
    QTest::addColumn<QString>("secondShown"); // empty: hidden
    QTest::addColumn<bool>("pictureShown");

    QTest::newRow("own keys") << "" << "" << ":/icon/star_3D_120.png" << "NO" << "YES" << false;
    QTest::newRow("one key") << "OK" << "" << ":/icon/star_3D_120.png" << "OK" << "" << false;
    QTest::newRow("two keys and picture") << "Ricorda" << "OK" << ":/icon/star_3D_120.png" << "Ricorda" << "OK" << true;
    QTest::newRow("two keys, no picture") << "NO" << "YES" << "" << "NO" << "YES" << false;
}

void DialogsTest::messageKeysFollowTheLabelsGiven()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, picture);
    QFETCH(QString, firstShown);
    QFETCH(QString, secondShown);
    QFETCH(bool, pictureShown);

    QString cancelText, okText, message;
    bool cancelVisible = false, okVisible = false, pictureVisible = false;
    whenModal<DialogMessage>([&](DialogMessage *d) {
        auto *cancel = d->findChild<QPushButton *>("cancelKey");
        auto *ok = d->findChild<QPushButton *>("okKey");
        cancelVisible = cancel->isVisible();
        okVisible = ok->isVisible();
        cancelText = cancel->text();
        okText = ok->text();
        pictureVisible = d->findChild<QLabel *>("picture")->isVisible();
        message = d->findChild<QLabel *>("message")->text();
        d->close();
    });
    DisplayDialogMsg("Cambiare filtro aspirazione aria", 0, false, first, second, picture);

    QCOMPARE(message, QString("Cambiare filtro aspirazione aria"));
    QCOMPARE(cancelVisible, !firstShown.isEmpty());
    QCOMPARE(okVisible, !secondShown.isEmpty());
    if (cancelVisible)
        QCOMPARE(cancelText, firstShown);
    if (okVisible)
        QCOMPARE(okText, secondShown);
    QCOMPARE(pictureVisible, pictureShown);
}

void DialogsTest::messageAnswers()
{
    whenModal<DialogMessage>(
        [](DialogMessage *d) { QTest::mouseClick(d->findChild<QPushButton *>("okKey"), Qt::LeftButton); });
    QCOMPARE(DisplayDialogMsg("Do you want to update the date?"), 1);
    QCOMPARE(SubWindowReturnStatus.load(), 1);

    whenModal<DialogMessage>(
        [](DialogMessage *d) { QTest::mouseClick(d->findChild<QPushButton *>("cancelKey"), Qt::LeftButton); });
    QCOMPARE(DisplayDialogMsg("Cambiare filtro aspirazione aria", 0, false, "Ricorda", "OK", QString()), 0);

    // The single key is the first label's key: it answers 0.
    whenModal<DialogMessage>(
        [](DialogMessage *d) { QTest::mouseClick(d->findChild<QPushButton *>("cancelKey"), Qt::LeftButton); });
    QCOMPARE(DisplayDialogMsg("File Saved on Usb Device.", 0, false, "OK", QString(), QString()), 0);
}

void DialogsTest::messageAutoCloseAnswersNoEvenAfterAYes()
{
    SubWindowReturnStatus = 1;
    QElapsedTimer t;
    t.start();
    QCOMPARE(DisplayDialogMsg("Nobody answers", 300, false, "NO", "YES", QString()), 0);
    QVERIFY(t.elapsed() >= 250);
    QVERIFY(t.elapsed() < 3000);
}

void DialogsTest::waitDialogClosesWhenEveryCommandIsAnswered()
{
    enableScreenSaver = true;
    {
        FifoLock lock;
        waitStateVar(3);
        waitStateVar(4);
    }
    auto *wait = new WaitResponseCmd(nullptr, true);
    wait->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<WaitResponseCmd> guard = wait;
    wait->show();
    QCOMPARE(wait->displayText(), QString("LOADING JOB"));
    QVERIFY(!enableScreenSaver);
    QCOMPARE(QApplication::activeModalWidget(), wait);

    wait->updateState();
    QVERIFY(wait->isVisible());
    {
        FifoLock lock;
        setStateVar(3, true);
    }
    wait->updateState();
    QVERIFY(wait->isVisible()); // command 4 is still awaited
    {
        FifoLock lock;
        setStateVar(4, false); // a refusal is an answer too
    }
    // The 500 ms timer closes it by itself.
    QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 2000);
}

void DialogsTest::waitDialogWithoutAutomaticCloseStays()
{
    WaitResponseCmd wait(nullptr, false);
    wait.setDisplayText("Wait Reset.");
    wait.show();
    QCOMPARE(wait.displayText(), QString("Wait Reset."));
    wait.updateState();
    QVERIFY(wait.isVisible());
    // Shown again after being hidden, it works the same.
    wait.hide();
    wait.show();
    QTest::qWait(600);
    QVERIFY(wait.isVisible());
}

void DialogsTest::waitDialogProgress()
{
    {
        FifoLock lock;
        waitStateVar(48);
    }
    actualWaitProgress = 77;
    WaitResponseCmd wait(nullptr, true);
    QVERIFY(!wait.progressBarActive());
    QVERIFY(wait.findChild<QProgressBar *>("progressBar")->isHidden());
    wait.setProgressMinMax(0, 200);
    QCOMPARE(actualWaitProgress.load(), 0);
    wait.show();
    QVERIFY(wait.findChild<QProgressBar *>("progressBar")->isVisible());
    actualWaitProgress = 120;
    wait.updateState();
    QCOMPARE(wait.progressValue(), 120);
    actualWaitProgress = 5000; // beyond the range: shown full, not wrapped
    wait.updateState();
    QCOMPARE(wait.progressValue(), 200);
    QVERIFY(wait.isVisible());
}

void DialogsTest::successDialogClosesByItself()
{
    auto *ok = new SuccessDialog;
    ok->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<SuccessDialog> guard = ok;
    QVERIFY(!ok->findChild<QLabel *>("picture")->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(ok->findChild<QLabel *>("text")->text(), QString("SUCCESS"));
    QElapsedTimer t;
    t.start();
    ok->show();
    QTest::qWait(4000);
    QVERIFY(!guard.isNull());
    QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 3000);
    QVERIFY(t.elapsed() >= 4700); // a coarse timer may fire up to 5 % early
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
