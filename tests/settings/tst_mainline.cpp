// The supply frequency screen: the choice stays in memory until confirmed;
// confirming queues the frequency for the board, stores it, asks the board
// for its identification again and closes. Also end to end against the
// simulated board through the real link thread.

#include "BoardSimProcess.h"
#include "TempRoot.h"

#include "app/Dialog.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "settings/mainline.h"

#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

std::vector<ByteVector> takeQueue()
{
    FifoLock lock;
    std::vector<ByteVector> frames;
    while (!serialFifo.empty()) {
        frames.push_back(serialFifo.front());
        serialFifo.pop();
    }
    return frames;
}

size_t queued()
{
    FifoLock lock;
    return serialFifo.size();
}

QPushButton *button(QWidget *w, const char *name)
{
    return w->findChild<QPushButton *>(QString::fromLatin1(name));
}

} // namespace

class TestMainline : public QObject
{
    Q_OBJECT

private:
    int syncs = 0;

private slots:
    void init()
    {
        takeQueue();
        syncs = 0;
        syscmd::setSyncRunner([this] { ++syncs; });
        settings.setHz(QStringLiteral("50"));
        settings.setVoltage(QStringLiteral("0"));
    }
    void cleanup()
    {
        syscmd::setSyncRunner(nullptr);
        takeQueue();
    }

    void choosingOnlyChangesTheSettingInMemory()
    {
        TempRoot root;
        QPointer<mainline> m = new mainline;
        m->show();
        QVERIFY(!button(m, "v230")->isVisible());
        QVERIFY(!button(m, "v110")->isVisible());
        QVERIFY(button(m, "hz50")->styleSheet().contains("background-color: rgb(50, 180, 50);"));
        QVERIFY(button(m, "hz60")->styleSheet().contains("background-color: rgb(255, 255, 255);"));

        button(m, "hz60")->click();
        QCOMPARE(settings.getHz(), QStringLiteral("60"));
        QVERIFY(button(m, "hz60")->styleSheet().contains("background-color: rgb(50, 180, 50);"));
        QVERIFY(button(m, "hz50")->styleSheet().contains("background-color: rgb(255, 255, 255);"));
        QVERIFY(!button(m, "hz50")->styleSheet().contains("rgb(50, 180, 50)"));
        button(m, "hz50")->click();
        button(m, "hz60")->click();

        QTest::qWait(50);
        QCOMPARE(queued(), size_t(0));
        QVERIFY(!QFile::exists(root.path("/home/root/rete_setting")));
        QVERIFY(m->isVisible());
        delete m;
    }

    void confirmQueuesFrequencyThenIdentificationAndCloses()
    {
        TempRoot root;
        QPointer<mainline> m = new mainline;
        m->show();
        button(m, "hz60")->click();
        button(m, "confirm")->click();
        button(m, "confirm")->click(); // a second touch sends nothing more

        // A panel covers the screen while the board takes the command.
        auto *panel = m->findChild<Dialog *>();
        QVERIFY(panel && panel->isVisible());
        QVERIFY(!panel->autoCloseActive());
        QCOMPARE(root.readFile("/home/root/rete_setting"), QByteArray("60\n0\n"));
        QCOMPARE(syncs, 3);
        {
            FifoLock lock;
            QCOMPARE(serialFifo.size(), size_t(1));
            QCOMPARE(serialFifo.front(), ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, ByteVector{6}));
        }

        QTRY_VERIFY(m.isNull());
        const std::vector<ByteVector> frames = takeQueue();
        QCOMPARE(frames.size(), size_t(2));
        QCOMPARE(frames[0], ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, ByteVector{6}));
        QCOMPARE(frames[1], ProtocolConversion::BuildCommand(BoardCmd::Version));
    }

    void anUnusualStoredFrequencyIsSentAndStoredAsSixty()
    {
        TempRoot root;
        settings.setHz(QStringLiteral("55"));
        QPointer<mainline> m = new mainline;
        m->show();
        QVERIFY(button(m, "hz60")->styleSheet().contains("rgb(50, 180, 50)"));
        button(m, "confirm")->click();
        QTRY_VERIFY(m.isNull());
        QCOMPARE(takeQueue().front(), ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, ByteVector{6}));
        QCOMPARE(root.readFile("/home/root/rete_setting"), QByteArray("60\n0\n"));
    }

    void boardTakesTheFrequencyOverTheLink()
    {
        TempRoot root;
        BoardSimProcess board;
        QVERIFY(board.start());
        QCOMPARE(board.value("get mains"), QStringLiteral("230/50"));
        qputenv("FROSTPANEL_SERIAL", board.devicePath().toLocal8Bit());
        resetStateVar();
        fwFrequency = std::string();
        auto link = std::make_unique<SerialThreadComunication>(10000);
        link->start();

        QPointer<mainline> m = new mainline;
        m->show();
        button(m, "hz60")->click();
        button(m, "confirm")->click();
        QTRY_VERIFY(m.isNull());

        QTRY_COMPARE_WITH_TIMEOUT(board.value("get mains"), QStringLiteral("230/60"), 10000);
        // The identification answer now reports the new frequency.
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(fwFrequency.get()), QStringLiteral("230V 60Hz"), 10000);

        link->kill();
        link->join();
        qunsetenv("FROSTPANEL_SERIAL");
        board.stop();
    }
};

QTEST_MAIN(TestMainline)
#include "tst_mainline.moc"
