// frostpanel-screens: renders every screen of the program, in its states and
// in each language, to PNG files at the display's 480 x 272, for looking
// them over. Runs on Qt's offscreen platform in a throw-away sandbox root.
//
//   frostpanel-screens OUTPUT_FOLDER [LANGUAGES_FOLDER]
//
// LANGUAGES_FOLDER holds the compiled translations (default: "languages"
// beside the program, where the build puts them).

#include "app/AppState.h"
#include "app/Dialog.h"
#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/ScreenSaver.h"
#include "app/SuccessDialog.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "shell/SettingsForm.h"
#include "shell/ShellResources.h"
#include "cleaning/Cleaning.h"
#include "cleaning/CleaningSummary.h"
#include "cleaning/CustomCleaning.h"
#include "cleaning/CustomCleaningRunning.h"
#include "cleaning/ManualHandling.h"
#include "cleaning/ReleaseBlade.h"
#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/Presets.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "data/UserSettings.h"
#include "errors/AnomalyWorking.h"
#include "errors/ErrorManager.h"
#include "errors/ErrorState.h"
#include "errors/SensorState.h"
#include "errors/FilterChange.h"
#include "link/LinkStatistics.h"
#include "link/SensorBits.h"
#include "link/SharedState.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "remote/RemoteState.h"
#include "settings/DisplayKeyboard.h"
#include "settings/EnergySettings.h"
#include "settings/LanguageList.h"
#include "settings/MachineInfo.h"
#include "settings/ServiceCounters.h"
#include "settings/ServicePage.h"
#include "settings/SettingDate.h"
#include "settings/SettingsForm_P2.h"
#include "settings/SystemInfo.h"
#include "settings/WiFiManager.h"
#include "settings/mainline.h"
#include "settings/translator.h"
#include "work/QuickStartLiquid.h"
#include "work/SelectFunction.h"
#include "work/quickstart.h"
#include "work/speedadvancedsettings.h"
#include "work/RunningSummary.h"
#include "work/running.h"

#include <QDateTime>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

// The home screen's texts, in its translation context.
QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QString outDir;
QString language;
int written = 0;
int failed = 0;

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }
}

void save(QWidget *w, const QString &name)
{
    settle();
    const QPixmap shot = w->grab(QRect(0, 0, 480, 272));
    const QString file = QString("%1/%2-%3.png").arg(outDir, language, name);
    if (shot.size() != QSize(480, 272) || !shot.save(file)) {
        std::fprintf(stderr, "cannot render %s\n", qPrintable(name));
        ++failed;
        return;
    }
    std::printf("%s\n", qPrintable(file));
    ++written;
}

// Shows a screen, saves it, closes it.
template <typename T> void render(T *w, const QString &name, const std::function<void(T *)> &prepare = {})
{
    w->setAttribute(Qt::WA_DontShowOnScreen, false);
    if (prepare)
        prepare(w);
    w->show();
    save(w, name);
    w->close();
    delete w;
}

// The work screens in their states: the start screens empty and full, each
// program type, the advanced page, the selection, and what a start shows.
void renderWorkScreens(MainWindow &home)
{
    const auto key = [](QWidget *w, const char *name) { return w->findChild<QPushButton *>(name); };
    for (int full = 0; full < 2; ++full) {
        actual = frostizing_soft;
        actual->Load();
        render<quickstart>(new quickstart(&home, 80), full ? "frostizing-start-full" : "frostizing-start-empty",
                           [&](quickstart *q) {
                               for (int i = 0; full && i < q->maxPortions(); ++i)
                                   key(q, "portion_plus")->click();
                           });
    }
    actual = frostizing_hard;
    actual->Load();
    render<quickstart>(new quickstart(&home, 80), "frostizing-start-hard-flow", [&](quickstart *q) {
        key(q, "portion_plus")->click();
        key(q, "portion_plus")->click();
        key(q, "repetition_plus")->click();
        key(q, "air_flow")->click();
    });
    // A recipe handed over with a long name, from a registered beaker.
    WorkSettings recipe = *frostizing_medium;
    recipe.filename = "10042";
    recipe.setRecipeType(1);
    recipe.displayName = "Sorbetto al limone con menta e zenzero della casa";
    actualSelectedGlass->setGlassCode(QString("ABC.00042"));
    actualSelectedGlass->setGlassType(QString("1"));
    actualSelectedGlass->initResidualContent();
    actual = &recipe;
    render<quickstart>(new quickstart(&home, 80), "frostizing-start-recipe-beaker", [&](quickstart *q) {
        key(q, "portion_plus")->click();
        key(q, "portion_plus")->click();
        key(q, "portion_plus")->click();
    });
    actualSelectedGlass->reset();

    actual = frostizing_soft;
    actual->Load();
    settings.setAffSpeed(1, 1);
    frostizing_soft->setPortion(4);
    render(new speedadvancedsettings(&home, 80, false, frostizing_soft->getMillingSteps(0).ImmersionSpeed),
           "frostizing-advanced");
    render<speedadvancedsettings>(new speedadvancedsettings(&home, 80, false, 2), "frostizing-advanced-saved",
                                  [&](speedadvancedsettings *a) {
                                      a->on_weight_plus_clicked();
                                      a->on_weight_plus_clicked();
                                      key(a, "save")->click();
                                  });
    settings.setAffSpeed(1, 0);
    QFile::remove(frostizing_soft->mainFilePath()); // the next language starts from the preset again
    frostizing_soft->Load();

    render(new SelectFunction(&home), "cutting-whipping-selection");
    const char *types[] = {"soft", "medium", "hard"};
    for (int function = 2; function <= 3; ++function) {
        for (int type = 0; type < 3; ++type) {
            actual = function == 2 ? cutting_soft : whipping_soft;
            const QString name = QString("%1-start-%2").arg(function == 2 ? "cutting" : "whipping", types[type]);
            render<QuickStartLiquid>(new QuickStartLiquid(&home), name, [&](QuickStartLiquid *l) {
                l->setFunction(function, false, true);
                l->setProgramType(type);
            });
        }
    }

    // What a start shows on top of the start screen.
    actual = frostizing_soft;
    render<WaitResponseCmd>(new WaitResponseCmd(&home, false), "start-wait", [](WaitResponseCmd *w) {
        w->setDisplayText(QCoreApplication::translate("WorkStartScreen", "Wait"));
    });
    render<DialogMessage>(new DialogMessage(nullptr, false), "start-damage-question", [](DialogMessage *d) {
        d->setDisplayMessage(QCoreApplication::translate(
            "WorkStartScreen", "La combinazione di impostazioni potrebbe provocare dei danni.\nVuoi continuare?"));
    });
    const struct
    {
        const char *name;
        const char *text;
        const char *picture;
    } checks[] = {
        {"start-no-portions", "Select a number of portions greater than zero.", ""},
        {"start-gasket", "Insert gasket seal before start working.", ":/image/oring presence.gif"},
        {"start-glass", "Insert glass before start working.", ":/image/glass presence.gif"},
        {"start-lid-not-locked", "Retry close the machine before start working.", ":/image/new state.gif"},
        {"start-error-1", "Error 1", ""},
    };
    for (const auto &c : checks)
        render<ErrorMessage>(new ErrorMessage(nullptr, c.picture), c.name, [&c](ErrorMessage *m) {
            m->setDisplayMessage(QCoreApplication::translate("WorkStartScreen", c.text));
        });
}

// The clock page from the settings and at a first start, its question, and
// the energy page.
void renderDateAndEnergy(MainWindow &home)
{
    platform::setFixedNowForTests(QDateTime(QDate(2026, 12, 31), QTime(23, 59)).toSecsSinceEpoch());
    render(new SettingDate(&home, false), "date");
    render(new SettingDate(&home, true), "date-first-start");
    platform::clearFixedNowForTests();
    render<DialogMessage>(new DialogMessage(nullptr, false), "date-question", [](DialogMessage *d) {
        d->setDisplayMessage(QCoreApplication::translate("SettingDate", "Do you want to update the date?"));
    });
    settings.setScreenSaverTime(120);
    render(new EnergySettings(&home), "energy");
    settings.setScreenSaverTime(0);
    render(new EnergySettings(&home), "energy-screensaver-off");
    settings.setScreenSaverTime(30);
}

// The system page with everything known (a long network name rolls) and
// before the board and the network are there.
void renderSystemInfo(MainWindow &home)
{
    fwVersion = std::string("2.00.05");
    fwFrequency = std::string("230V 50Hz");
    settings.setWifiEssid("Kitchen-Office-Network-5GHz-Guest");
    wifiConnect = true;
    render(new SystemInfo(&home), "system-info");
    fwVersion = std::string();
    fwFrequency = std::string();
    settings.setWifiEssid(QString());
    wifiConnect = false;
    render(new SystemInfo(&home), "system-info-unknown");
}

// The error statistics of a machine that has seen some errors (code 1 at
// its consecutive limit), its last page, the advanced user's reset key, and
// the sensor page with the lid open.
void renderErrorAndSensorPages(MainWindow &home)
{
    QByteArray counters(1, '\0');
    {
        QDataStream out(&counters, QIODevice::Append);
        out.setVersion(QDataStream::Qt_5_6);
        const QMap<int, QPair<quint16, quint32>> counts{
            {1, {25, 31}}, {2, {0, 4}}, {5, {3, 12}}, {6, {1, 70412}}, {9, {0, 2}}, {13, {2, 5}}};
        for (int code = 0; code < 14; ++code)
            out << counts.value(code).first << counts.value(code).second;
    }
    QFile file(QString::fromStdString(ErrorManager::counterFilePath()));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(counters);
    file.close();
    errorSystem.loadData();

    advancedUserEnabled = false;
    render(new ErrorState(&home), "error-state");
    render<ErrorState>(new ErrorState(&home), "error-state-last-page", [](ErrorState *e) {
        e->findChild<QPushButton *>("down")->click();
        e->findChild<QPushButton *>("down")->click();
    });
    advancedUserEnabled = true;
    render(new ErrorState(&home), "error-state-advanced");
    advancedUserEnabled = false;

    using namespace SensorBits;
    actualSensorState = mask(Glass) | mask(GasketDoor) | mask(LowerLimit) | mask(BladesMounted);
    render(new SensorState(&home), "sensor");
    actualSensorState = 0;
}

// The firmware page with and without a file, its progress and its errors.
void renderFirmwareScreens(MainWindow &home)
{
    const auto text = [](const char *source) { return QCoreApplication::translate("SettingsForm_P2", source); };
    fwVersion = std::string("2.00.05");
    usbMount = true;
    const QString stick = QString::fromStdString(platform::path("/mnt/usb-memory"));
    QDir().mkpath(stick);
    QFile hex(stick + "/fw-2.01.00-update.hex");
    hex.open(QIODevice::WriteOnly);
    hex.write(":00000001FF\r\n");
    hex.close();
    render(new SettingsForm_P2(&home), "firmware-page");
    hex.remove();
    render(new SettingsForm_P2(&home), "firmware-page-no-file");
    usbMount = false;
    fwVersion = std::string();
    render(new SettingsForm_P2(&home), "firmware-page-no-stick");
    render<WaitResponseCmd>(new WaitResponseCmd(&home, false), "firmware-progress", [&](WaitResponseCmd *w) {
        w->setDisplayText(text("Update Firmware."));
        w->setProgressMinMax(0, 400);
        actualWaitProgress = 170;
        w->updateState();
    });
    actualWaitProgress = 0;
    const struct
    {
        const char *name;
        const char *text;
    } errors[] = {{"firmware-error-file", "Firmware file not valid."},
                  {"firmware-error-transfer", "Firmware upgrade not ended correctly."}};
    for (const auto &e : errors)
        render<ErrorMessage>(new ErrorMessage(nullptr, QString()), e.name,
                             [&](ErrorMessage *m) { m->setDisplayMessage(text(e.text)); });
}

// The Wi-Fi manager: the list (the stored network green, a long name
// rolling), the password panel of a protected and of an open network, the
// waiting panel and the details. The scan is a canned one: no tool runs.
void renderWiFiManager(MainWindow &home)
{
    const QByteArray scan = "wlan0     Scan completed :\n"
                            "          Cell 01 - Address: 02:00:00:00:01:00\n"
                            "                    ESSID:\"DemoNet\"\n"
                            "                    Quality=58/70  Signal level=-52 dBm\n"
                            "                    Encryption key:on\n"
                            "                    IE: IEEE 802.11i/WPA2 Version 1\n"
                            "          Cell 02 - Address: 02:00:00:00:02:00\n"
                            "                    ESSID:\"Kitchen-Guest\"\n"
                            "                    Quality=35/70  Signal level=-75 dBm\n"
                            "                    Encryption key:off\n"
                            "          Cell 03 - Address: 02:00:00:00:03:00\n"
                            "                    ESSID:\"Ristorante Da Giovanni - Sala Grande\"\n"
                            "                    Quality=65/70  Signal level=-40 dBm\n"
                            "                    Encryption key:on\n"
                            "                    IE: IEEE 802.11i/WPA2 Version 1\n"
                            "          Cell 04 - Address: 02:00:00:00:04:00\n"
                            "                    ESSID:\"Storeroom\"\n"
                            "                    Quality=10/70  Signal level=70/100\n"
                            "                    Encryption key:on\n"
                            "                    IE: Unknown: WEP\n"
                            "          Cell 05 - Address: 02:00:00:00:05:00\n"
                            "                    ESSID:\"Office\"\n"
                            "                    Quality=20/70  Signal level=-88 dBm\n"
                            "                    Encryption key:on\n"
                            "                    IE: IEEE 802.11i/WPA2 Version 1\n";
    settings.setWifiEssid("DemoNet");
    settings.setWifiAutentication(2);
    wifiConnect = true;
    const auto shot = [&](const QString &name, const std::function<void(WiFiManager *)> &act) {
        auto *w = new WiFiManager(&home);
        w->scanTimer()->stop();
        w->parseScan(scan);
        w->reorderList();
        w->populateList();
        w->show();
        settle();
        if (act)
            act(w);
        save(w, name);
        w->close();
        delete w;
    };
    const auto touchRow = [](WiFiManager *w, const QString &essid) {
        for (int r = 1; r <= WiFiManager::kRows; ++r) {
            auto *row = w->findChild<QLabel *>(QString("step_%1").arg(r));
            if (row->text().trimmed() == essid)
                QTest::mouseClick(row, Qt::LeftButton);
        }
    };
    shot("wifi-manager", {});
    shot("wifi-manager-scrolled", [](WiFiManager *w) { w->findChild<QPushButton *>("pushButton_2")->click(); });
    shot("wifi-manager-password", [&](WiFiManager *w) { touchRow(w, "DemoNet"); });
    shot("wifi-manager-open", [&](WiFiManager *w) { touchRow(w, "Kitchen-Guest"); });
    shot("wifi-manager-waiting", [](WiFiManager *w) {
        for (const char *name : {"label_27", "groupBox_2"}) {
            auto *panel = w->findChild<QWidget *>(name);
            panel->show();
            panel->raise();
        }
    });
    shot("wifi-manager-details", [](WiFiManager *w) { w->findChild<QPushButton *>("pushButton_8")->click(); });
    settings.setWifiEssid(QString());
    settings.setWifiAutentication(0);
    wifiConnect = false;
}

// The machine as the board reports it during a run.
// A machine some months in service, and a link that has seen some trouble.
void fillMachineLife()
{
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    machineLife.load();
    machineLife.addTimeAcMotor(1234567);
    machineLife.addTimeStepperMotor(456789);
    machineLife.addTimePump(98765, WorkingTimer::PRESSION_PUMP);
    machineLife.addTimePump(4321, WorkingTimer::VACUUM_PUMP);
    machineLife.addMaxTemperature(71.5);
    machineLife.addMaxAbsorption(48.0);
    machineLife.addPortionMilling(15234);
    for (int i = 0; i < 37; ++i)
        machineLife.increaseGlassWorked(i % 3, i % 2);
    machineLife.increaseGlassClean();
    for (int i = 0; i < 15320; ++i)
        LinkStatistics::countExchange(BoardReply::Outcome::Acknowledged, false);
    for (int i = 0; i < 14; ++i)
        LinkStatistics::countExchange(BoardReply::Outcome::NoAnswer, i % 2);
    for (int i = 0; i < 3; ++i)
        LinkStatistics::countExchange(BoardReply::Outcome::Corrupt, true);
    LinkStatistics::countExchange(BoardReply::Outcome::Refused, false);
    LinkStatistics::countPortReopen();
}

// The machine information, service counters and service pages.
void renderMachineScreens(MainWindow &home)
{
    fillMachineLife();
    render(new MachineInfo(&home), "machine-info");
    render<MachineInfo>(new MachineInfo(&home), "machine-info-last-page", [](MachineInfo *m) {
        while (m->page() + 1 < m->pageCount())
            m->findChild<QPushButton *>("down")->click();
    });
    serviceEnable = false;
    render(new ServiceCounters(&home), "service-counters");
    serviceEnable = true;
    render(new ServiceCounters(&home), "service-counters-service-mode");
    render<ServiceCounters>(new ServiceCounters(&home), "service-counters-service-mode-last-page",
                            [](ServiceCounters *m) {
                                while (m->page() + 1 < m->pageCount())
                                    m->findChild<QPushButton *>("down")->click();
                            });
    serviceEnable = false;
    render(new ServicePage(&home), "link-statistics");
}

void boardState(bool isWorking, uint8_t step, bool milling)
{
    working = isWorking;
    actualStep = step;
    millingOn = milling;
}

// The run monitor on `program`, after `ticks` of its supervision with the
// machine in the state `machine` sets; `shot` picks the window to save.
void renderRunMonitor(WorkSettings *program, const QString &name, const std::function<void()> &machine, int ticks,
                      const std::function<QWidget *(running *)> &shot = {})
{
    actual = program;
    machine();
    auto *monitor = new running();
    monitor->checkTimer()->stop();
    for (int i = 0; i < ticks; ++i)
        monitor->workingStateCheck();
    save(shot ? shot(monitor) : monitor, name);
    delete monitor;
    boardState(false, 0, false);
    fullGlass = hardContent = false;
    serviceEnable = false;
}

void renderRunScreens()
{
    // A frostizing preset of three portions and a cutting run of the liquid
    // start screen (emulsion mode 127, two cycles).
    static WorkSettings frostizing;
    frostizing = *frostizing_soft;
    frostizing.setPortion(3);
    static WorkSettings cutting;
    cutting = *cutting_soft;
    cutting.setEmulsionWorkingMode(127);
    cutting.setPortionDimension(2);
    cutting.setEmulsionSteps(0, 7, 3, 0, 0, 0);
    cutting.setEmulsionSteps(0, 7, 5, 0, 0, 1);
    cutting.disableEmulsionSteps(2);
    cutting.setExtraEmulsionStep(1);
    WorkSettings *const previous = actual;
    machineOpen = machineCloseOk = oringPresence = glassPresence = machineReady = true;
    actualTemperature = 40;
    actualAbsorption = 20;
    actualTreePosition = 123;

    renderRunMonitor(&frostizing, "run-waiting", [] { boardState(false, 0, false); }, 2);
    renderRunMonitor(&frostizing, "run-milling", [] { boardState(true, 2, true); }, 6);
    renderRunMonitor(&cutting, "run-emulsion", [] { boardState(true, 3, false); }, 6);
    renderRunMonitor(&frostizing, "run-service", [] {
        serviceEnable = true;
        boardState(true, 3, true);
    }, 6);
    renderRunMonitor(&frostizing, "run-too-full", [] {
        fullGlass = true;
        boardState(true, 0, true);
    }, running::kExcludeCheckTicks + 2, [](running *m) { return static_cast<QWidget *>(m->tooMuchQuestion()); });
    renderRunMonitor(&frostizing, "run-error", [] {
        hardContent = true;
        boardState(true, 1, true);
    }, running::kExcludeCheckTicks + 2);

    // The summary's outcomes.
    const struct
    {
        const char *name;
        WorkSettings *program;
        int emulsionSteps;
        std::function<void(WorkSettings &)> run;
    } summaries[] = {
        {"summary-good", &frostizing, 0, [](WorkSettings &p) {
             p.setPortion(1);
             p.numOfStepMilling = 4;
         }},
        {"summary-good-cutting", &cutting, 4, [](WorkSettings &) {}},
        {"summary-aborted", &frostizing, 0, [](WorkSettings &p) {
             p.numOfStepMilling = 5;
             p.userStop = true;
         }},
        {"summary-too-much", &cutting, 0, [](WorkSettings &p) { p.toMuchMaterial = true; }},
        {"summary-insufficient", &frostizing, 0, [](WorkSettings &p) { p.numOfStepMilling = 6; }},
    };
    for (const auto &s : summaries) {
        WorkSettings program = *s.program;
        program.resetWorkingData();
        program.endWork = program.startWork + 95;
        s.run(program);
        actual = &program;
        render(new RunningSummary(nullptr, s.emulsionSteps, false), s.name);
    }
    actual = previous;
}

// Blade release, driven through its steps with the machine state set by hand
// (no board): each press is taken as answered at once.
void releasePress(ReleaseBlade *r, const char *key)
{
    r->findChild<QPushButton *>(key)->click();
    FifoLock lock;
    std::queue<std::vector<uint8_t>>().swap(serialFifo);
    cutReleaseCmdSend = 1;
    stopReleaseCmdSend = 1;
}

void releaseTicks(ReleaseBlade *r, int ticks = 1)
{
    for (int i = 0; i < ticks; ++i)
        r->workingStateCheck();
}

void releaseFlags(bool a, bool b)
{
    cutRelease_flag_a = a;
    cutRelease_flag_b = b;
}

// A fresh screen taken to the locked blade, its mount state answered.
ReleaseBlade *releaseLocked(uint16_t mount, const std::function<void(ReleaseBlade *)> &onTheWay = {})
{
    releaseFlags(false, false);
    glassPresence = false;
    auto *r = new ReleaseBlade();
    r->checkTimer()->stop();
    r->show();
    if (onTheWay)
        onTheWay(r);
    releasePress(r, "pushButton_3");
    releaseFlags(true, false);
    releaseTicks(r, ReleaseBlade::kStartWaitTicks + 1);
    if (onTheWay)
        onTheWay(r);
    glassPresence = true; // the security button
    releaseFlags(true, true);
    releasePress(r, "pushButton_3");
    releaseTicks(r);
    QTest::qWait(ReleaseBlade::kBladeFreePauseMs + 100);
    if (onTheWay)
        onTheWay(r);
    glassPresence = false;
    for (int i = 0; i < 2; ++i) {
        releasePress(r, "pushButton_3");
        releaseTicks(r);
        if (onTheWay)
            onTheWay(r);
    }
    for (int i = 0; i < 3; ++i)
        releasePress(r, "pushButton_3");
    releaseFlags(false, true);
    releaseTicks(r);
    bladeMountState = mount;
    getBladeMountState = 1;
    releaseTicks(r, 2);
    return r;
}

void renderBladeRelease()
{
    machineOpen = true;
    int shot = 0;
    // Step 11 shows the picture of step 10 again.
    const char *const onTheWay[] = {"release-start", "release-freeing", "release-remove", nullptr, "release-insert"};
    ReleaseBlade *r = releaseLocked(ReleaseBlade::kMounted, [&](ReleaseBlade *w) {
        if (shot < 5 && onTheWay[shot])
            save(w, onTheWay[shot]);
        ++shot;
    });
    releasePress(r, "pushButton_3"); // step 4: the stop key appears
    save(r, "release-mounted");
    releasePress(r, "pushButton_2");
    save(r, "release-stop");
    releaseTicks(r);
    save(r, "release-stop-moves");
    delete r;

    r = releaseLocked(ReleaseBlade::kMounted);
    releaseFlags(true, true);
    releaseTicks(r);
    save(r, "release-returning");
    delete r;

    r = releaseLocked(15);
    releaseTicks(r);
    save(r, "release-mounted-badly");
    delete r;

    // The lid open, in service mode.
    serviceEnable = true;
    machineOpen = false;
    actualTreePosition = 123;
    r = new ReleaseBlade();
    r->checkTimer()->stop();
    r->show();
    releaseTicks(r);
    save(r, "release-lid-open-service");
    delete r;
    serviceEnable = false;
    machineOpen = true;
    glassPresence = true;
    releaseFlags(false, false);
    resetStateVar();
}

// The cleaning menu, what it shows, the custom cleaning selection on each
// key and glass, the run and its summary.
void renderCleaningScreens(MainWindow &home)
{
    const auto text = [](const char *context, const char *source) {
        return QCoreApplication::translate(context, source);
    };
    render(new Cleaning(&home), "cleaning-menu");
    render<DialogMessage>(new DialogMessage(nullptr, false), "cleaning-air-purge", [&](DialogMessage *d) {
        d->setDisplayMessage(text("Cleaning", "SPURGA IL CONDOTTO DI AREAZIONE.\nPOI ESCI DALLA SCHERMATA."));
        d->setSingleKey(text("Cleaning", "EXIT"));
    });
    render<ErrorMessage>(new ErrorMessage(nullptr, ":/image/glass_filter.gif"), "cleaning-glass-hint",
                         [&](ErrorMessage *m) {
                             m->setDisplayMessage(text("Cleaning", "Place the glass behind the machine."));
                         });
    for (int big = 0; big < 2; ++big) {
        glassBigPresence = big;
        for (int type = 1; type <= 4; ++type) {
            render<CustomCleaning>(new CustomCleaning(&home),
                                   QString("custom-cleaning-%1-type%2").arg(big ? "big" : "small").arg(type),
                                   [type](CustomCleaning *c) {
                                       QMetaObject::invokeMethod(c, qPrintable(QString("on_program_type_%1_clicked")
                                                                                   .arg(type)));
                                   });
        }
    }
    glassBigPresence = false;

    // The run, ticked by hand: the board has taken the cycle and works.
    const auto run = [&](const QString &name, int ticks, bool stopped) {
        setCustomClean = 1;
        working = true;
        actualTemperature = 40;
        auto *r = new CustomCleaningRunning(nullptr, 0, 28, 38, text("CustomCleaning", "PULIZIA LAME"),
                                            "(" + text("CustomCleaning", "VELOCE") + ")");
        for (int i = 0; i < ticks; ++i) {
            r->checkState();
            r->checkTimer()->stop();
        }
        if (stopped)
            r->setErrorScreen("Job Aborted From User");
        r->show();
        save(r, name);
        delete r;
        working = false;
    };
    run("custom-cleaning-running", 60, false);
    run("custom-cleaning-stopped", 140, true);
    render(new CleaningSummary(nullptr, 28), "cleaning-summary");
}

void renderAll(MainWindow &home)
{
    // Home screen in its states.
    machineReady = true;
    glassPresence = true;
    home.show();
    home.raise();
    save(&home, "home");
    settings.setWifiEssid("DemoNet");
    wifiConnect = false;
    home.findChild<QWidget *>("wifi_ok")->hide();
    home.findChild<QWidget *>("wifi_ko")->show();
    save(&home, "home-wifi-lost");
    home.findChild<QWidget *>("wifi_ko")->hide();
    home.findChild<QWidget *>("wifi_ok")->show();
    save(&home, "home-wifi-ok");
    settings.setWifiEssid(QString());

    render(new Dialog(&home), "start-dialog");
    render<Dialog>(new Dialog(&home), "wait-panel", [](Dialog *d) { d->autoclose_stop(); });

    home.resetWaitDialog()->show();
    save(home.resetWaitDialog(), "reset-wait");
    home.resetWaitDialog()->hide();
    home.manualHandling()->show();
    save(home.manualHandling(), "manual-handling");
    home.manualHandling()->hide();

    ScreenSaver *saver = home.screenSaverPage();
    saver->show();
    save(saver, "screensaver-logo");
    saver->stepTimeout();
    save(saver, "screensaver-reminder");
    saver->hide();

    render<WaitResponseCmd>(new WaitResponseCmd(&home, false), "firmware-progress", [](WaitResponseCmd *w) {
        w->setProgressMinMax(0, 1200);
        actualWaitProgress = 480;
    });
    render(new SuccessDialog(&home), "success");

    const struct
    {
        const char *name;
        QString text;
        QString picture;
        bool machineError;
    } errors[] = {
        {"error-communication", tr("Comunicarion error.\nPerform machine restart."), {}, false},
        {"error-maintenance", tr("MANUTENZIONE PROGRAMMA.\nCONTATTARE L'ASSISTENZA."), {}, false},
        {"error-wifi-adapter",
         tr("Verificare che l'adattatore wifi sia inserito.") + "\n" +
             tr("Spegnere la macchina, inserire adattatore wifi e riaccedere la macchina"),
         {},
         false},
        {"error-lid", tr("Close the machine before start working."), ":/image/machine open.gif", false},
        {"error-board", "ERROR 5\nDescription E5", {}, true},
    };
    for (const auto &e : errors)
        // As DisplayError opens them: top-level, over whatever is in front.
        render<ErrorMessage>(new ErrorMessage(nullptr, e.picture, e.machineError), e.name,
                             [&e](ErrorMessage *m) { m->setDisplayMessage(e.text); });

    render<DialogMessage>(new DialogMessage(nullptr, false), "filter-question", [](DialogMessage *d) {
        d->setDisplayMessage(tr("Cambiare filtro aspirazione aria"));
        d->setKeys(tr("Ricorda"), tr("OK"));
    });
    render(new FilterChange(&home), "filter-page");
    renderErrorAndSensorPages(home);
    working = true;
    render(new AnomalyWorking(&home), "anomaly-working");
    working = false;

    render(new SettingsForm(&home), "settings-menu");
    // Every page of the menu as the service technician sees it.
    serviceEnable = true;
    for (int page = 0; page < 3; ++page)
        render<SettingsForm>(new SettingsForm(&home), QString("settings-menu-service-%1").arg(page + 1),
                             [page](SettingsForm *m) {
                                 for (int i = 0; i < page; ++i)
                                     m->findChild<QAbstractButton *>("next")->click();
                             });
    serviceEnable = false;
    render(new LanguageList(&home, false), "language-list");
    render(new LanguageList(&home, true), "language-list-first-start");
    render(new mainline(&home), "supply-frequency");
    renderFirmwareScreens(home);
    renderMachineScreens(home);
    renderDateAndEnergy(home);
    renderSystemInfo(home);
    renderWiFiManager(home);
    render(new DisplayKeyboard(&home), "keyboard");
    renderWorkScreens(home);
    renderRunScreens();
    renderBladeRelease();
    renderCleaningScreens(home);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    qputenv("FROSTPANEL_ROOT", root.path().toLocal8Bit());
    Application app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [LANGUAGES_FOLDER]\n", argv[0]);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    const QString languages =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QCoreApplication::applicationDirPath() + "/languages";

    // A machine in use: its data, the translations and a logo.
    QDir().mkpath(root.path() + "/home/root/languages");
    QDir().mkpath(root.path() + "/home/root/recipes");
    for (const QString &f : QDir(languages).entryList(QDir::Files))
        QFile::copy(languages + "/" + f, root.path() + "/home/root/languages/" + f);
    QFile::copy(QString(FROSTPANEL_SOURCE_DIR) + "/resources/pictures/demo/logo.png",
                root.path() + "/home/root/logo.png");
    serialNumber = std::string("FP2-0417-DEMO");
    swVersion = std::string("1.01.01");

    initAllResources();
    transLanguage.LoadAllFontDataBase();
    transLanguage.LoadInfoLang();
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    settings.setLanguage("inglese_en");
    settings.save();
    settings.set_rete_setting("50", "230");
    errorSystem.fillErrorTable();

    MainWindow home;
    home.setStyleSheet("MainWindow { background-color:#ffffff; }");
    home.pollTimer()->stop();
    if (home.startDialog())
        home.startDialog()->close();

    for (const QString &lang : {QString("inglese_en"), QString("italiano_it")}) {
        language = lang.section('_', 1);
        transLanguage.LoadLanguage(lang);
        settle();
        renderAll(home);
    }
    std::printf("%d screens written to %s\n", written, qPrintable(outDir));
    return failed == 0 && written > 0 ? 0 : 1;
}
