// The one wiring place: each hook of a lower layer reaches what the program
// means it to, from the thread that calls it.

#include "support_shell.h"

#include "app/ErrorMessage.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "errors/SensorState.h"
#include "app/ScreenHooks.h"
#include "link/LinkHooks.h"
#include "platform/devices.h"
#include "platform/report.h"
#include "shell/Wiring.h"
#include "settings/translator.h"

#include <thread>

class TestWiring : public QObject
{
    Q_OBJECT

    TempRoot root;

    template <typename Call> static void fromAnotherThread(Call call)
    {
        std::thread t(call);
        t.join();
    }

private slots:
    void initTestCase() { wireLayers(); }

    void everyHookIsAssigned()
    {
        QVERIFY(LinkHooks::temperatureRead && LinkHooks::absorptionRead && LinkHooks::errorCodeRead &&
                LinkHooks::storeMainsSetting);
        QVERIFY(SettingsHooks::applyBacklight && SettingsHooks::currentLanguageFile);
        QVERIFY(ScreenHooks::openSensorPage);
    }

    // The run and cleaning screens' sensor entry opens the sensor page over
    // them, gone when it is closed.
    void sensorPageOpensOverTheScreen()
    {
        QWidget screen;
        QPointer<QWidget> page = ScreenHooks::openSensorPage(&screen);
        QVERIFY(qobject_cast<SensorState *>(page) && page->isVisible() && page->parent() == &screen);
        QVERIFY(requestSensorState);
        page->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!page && !requestSensorState);
    }

    // The link thread's samples are recorded in the running program on the
    // graphical thread, the only one that replaces `actual`.
    void telemetryIsRecordedOnTheGraphicalThread()
    {
        WorkSettings program;
        actual = &program;
        machineLife.load();
        temperatureConversionTable[100] = 61.5;
        absorptionConversionTable[90] = 7.25;
        fromAnotherThread([] {
            LinkHooks::temperatureRead(100);
            LinkHooks::absorptionRead(90);
        });
        QCOMPARE(program.temperatureCount, 0u);
        QTRY_COMPARE(program.temperatureActual, 61.5);
        QCOMPARE(program.absorptionActual, 7.25);
        QCOMPARE(machineLife.getMaxTemperature(), 61.5);
        QCOMPARE(machineLife.getMaxAbsorption(), 7.25);
        actual = frostizing_soft;
    }

    void boardErrorsAndMainsReachTheirStores()
    {
        errorSystem.fillErrorTable();
        errorSystem.loadData();
        const uint32_t before = errorSystem.getErrorOccunrnce()[6];
        fromAnotherThread([] { LinkHooks::errorCodeRead(6); });
        QCOMPARE(errorSystem.getErrorOccunrnce()[6], before + 1);

        settings.setHz("60");
        settings.setVoltage("0");
        fromAnotherThread([] { LinkHooks::storeMainsSetting(); });
        QCOMPARE(root.readFile("/home/root/rete_setting"), QByteArray("60\n0\n"));
    }

    void operatorReportsAndBacklight()
    {
        fromAnotherThread([] { platform::reportToOperator("Recipe Saving Error."); });
        QTRY_VERIFY(!visibleWindows<ErrorMessage>().isEmpty());
        QCOMPARE(visibleWindows<ErrorMessage>().first()->displayMessage(), QStringLiteral("Recipe Saving Error."));
        for (ErrorMessage *e : visibleWindows<ErrorMessage>())
            e->close();

        QVERIFY(settings.setMyBrightness(42));
        QCOMPARE(QFile(QString::fromStdString(platform::backlightPath())).exists(), true);
        QFile backlight(QString::fromStdString(platform::backlightPath()));
        QVERIFY(backlight.open(QIODevice::ReadOnly));
        QCOMPARE(backlight.readAll().trimmed(), QByteArray("42"));
    }
};

SHELL_TEST_MAIN(TestWiring)
#include "tst_wiring.moc"
