// The energy page: brightness and screen-saver delay within the user
// settings' limits, the backlight set at once, the settings stored by the
// back key.

#include "support_settings.h"

#include "data/UserSettings.h"
#include "settings/EnergySettings.h"

namespace {

QPushButton *key(QWidget *w, const QString &name) { return w->findChild<QPushButton *>(name); }
QString label(QWidget *w, const QString &name) { return w->findChild<QLabel *>(name)->text(); }

} // namespace

class TestEnergySettings : public QObject
{
    Q_OBJECT

    QList<int> backlight;

private slots:
    void initTestCase()
    {
        SettingsHooks::applyBacklight = [this](int level) { backlight << level; };
        syscmd::setSyncRunnerForTests([] {});
    }
    void cleanupTestCase() { SettingsHooks::applyBacklight = nullptr; }
    void init()
    {
        QVERIFY(settings.setMyBrightness(50));
        QVERIFY(settings.setScreenSaverTime(30));
        backlight.clear();
    }
    void cleanup() { closeWindows(); }

    // Starting value, key, the value then shown and in force; a refused value
    // leaves the shown one.
    void keysStayWithinTheLimits_data()
    {
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("saver");
        QTest::addColumn<QString>("keyName");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("inForce");
        QTest::newRow("brightness up") << 50 << 30 << "brightness_plus" << "51" << 51;
        QTest::newRow("brightness down") << 50 << 30 << "brightness_minus" << "49" << 49;
        QTest::newRow("brightness refused above 100") << 100 << 30 << "brightness_plus" << "100" << 100;
        QTest::newRow("brightness refused below 5") << 5 << 30 << "brightness_minus" << "5" << 5;
        QTest::newRow("delay up") << 50 << 30 << "saver_plus" << "31" << 31;
        QTest::newRow("delay down") << 50 << 30 << "saver_minus" << "29" << 29;
        QTest::newRow("delay refused above 600") << 50 << 600 << "saver_plus" << "600" << 600;
        // Below the shortest delay the settings switch the screen saver off:
        // the page shows that instead of a delay no longer in force.
        QTest::newRow("delay below 25 is off") << 50 << 25 << "saver_minus" << "OFF" << 0;
        QTest::newRow("off, plus gives the shortest delay") << 50 << 0 << "saver_plus" << "25" << 25;
        QTest::newRow("off, minus stays off") << 50 << 0 << "saver_minus" << "OFF" << 0;
    }
    void keysStayWithinTheLimits()
    {
        QFETCH(int, brightness);
        QFETCH(int, saver);
        QFETCH(QString, keyName);
        QFETCH(QString, shown);
        QFETCH(int, inForce);
        TempRoot root;
        settings.setMyBrightness(brightness);
        settings.setScreenSaverTime(saver);
        backlight.clear();
        EnergySettings page;
        const bool isBrightness = keyName.startsWith("brightness");
        const QString valueLabel = isBrightness ? "brightness_value" : "saver_value";
        const QString otherLabel = isBrightness ? "saver_value" : "brightness_value";
        const QString other = label(&page, otherLabel);
        key(&page, keyName)->click();
        QCOMPARE(label(&page, valueLabel), shown);
        QCOMPARE(label(&page, otherLabel), other);
        QCOMPARE(isBrightness ? int(settings.getBrightness()) : settings.getScreenSaverTime(), inForce);
        // The display follows every accepted brightness at once.
        QCOMPARE(backlight, isBrightness && inForce != brightness ? QList<int>{inForce} : QList<int>{});
        // Nothing is stored before the back key.
        QVERIFY(!QFile::exists(root.path("/home/root/user_settings")));
    }

    void backKeyStoresTheSettingsAndCloses()
    {
        TempRoot root;
        QPointer<EnergySettings> page = new EnergySettings;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        for (int i = 0; i < 3; ++i)
            key(page, "brightness_minus")->click();
        key(page, "saver_plus")->click();
        key(page, "back")->click();
        QTRY_VERIFY(page.isNull());
        QVERIFY(shownErrors().isEmpty());
        // What the file holds comes back when it is read again.
        settings.setMyBrightness(80);
        settings.setScreenSaverTime(200);
        QVERIFY(settings.load());
        QCOMPARE(int(settings.getBrightness()), 47);
        QCOMPARE(settings.getScreenSaverTime(), 31);
    }

    void unstoredSettingsAreReported()
    {
        TempRoot root;
        QVERIFY(root.mkpath("/home/root/user_settings")); // a folder: the file cannot be written
        QPointer<EnergySettings> page = new EnergySettings;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        key(page, "brightness_plus")->click();
        key(page, "back")->click();
        QTRY_COMPARE(shownErrors(), QStringList{"The settings could not be saved."});
        QTRY_VERIFY(page.isNull());
    }
};

QTEST_MAIN(TestEnergySettings)
#include "tst_energysettings.moc"
