// The supply frequency screen: the choice stays in memory until confirmed;
// confirming queues the frequency for the board, stores it, asks the board
// for its identification again and closes. (The home screen's test sends it
// to the simulated board.)

#include "support_settings.h"

#include "app/Dialog.h"
#include "data/UserSettings.h"
#include "link/ProtocolConversion.h"
#include "settings/mainline.h"

namespace {

QPushButton *button(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QString::fromLatin1(name)); }
bool chosen(QWidget *w, const char *name) { return button(w, name)->styleSheet().contains("rgb(50, 180, 50)"); }

} // namespace

class TestMainline : public QObject
{
    Q_OBJECT

    int syncs = 0;

private slots:
    void initTestCase() { syscmd::setSyncRunnerForTests([this] { ++syncs; }); }
    void init()
    {
        takeQueue();
        syncs = 0;
        settings.setHz(QStringLiteral("50"));
        settings.setVoltage(QStringLiteral("0"));
    }

    void confirmQueuesFrequencyThenIdentificationAndCloses_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("chosen 60") << "50";
        QTest::newRow("unusual stored value goes as 60") << "55";
    }
    void confirmQueuesFrequencyThenIdentificationAndCloses()
    {
        QFETCH(QString, stored);
        TempRoot root;
        settings.setHz(stored);
        QPointer<mainline> m = new mainline;
        m->show();
        if (stored == "50")
            button(m, "hz60")->click();
        QVERIFY(chosen(m, "hz60") && !chosen(m, "hz50"));
        // Until confirmed the choice stays in memory: nothing queued, nothing stored.
        QTest::qWait(50);
        QVERIFY(takeQueue().empty() && !QFile::exists(root.path("/home/root/rete_setting")));
        button(m, "confirm")->click();
        button(m, "confirm")->click(); // a second touch sends nothing more
        // A panel covers the screen while the board takes the command.
        auto *panel = m->findChild<Dialog *>();
        QVERIFY(panel && panel->isVisible() && !panel->autoCloseActive());
        QCOMPARE(root.readFile("/home/root/rete_setting"), QByteArray("60\n0\n"));
        QCOMPARE(syncs, 3);
        QTRY_VERIFY(m.isNull());
        QCOMPARE(takeQueue(), std::vector<ByteVector>({ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, {6}),
                                                       ProtocolConversion::BuildCommand(BoardCmd::Version)}));
    }
};

QTEST_MAIN(TestMainline)
#include "tst_mainline.moc"
