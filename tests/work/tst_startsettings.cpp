// What the operator sets before a start, without the board: portions and
// their auto-repeat, the beaker they come from, the advanced page's speed
// offset and portion weight, and the cutting/whipping selection.

#include "support_work.h"

#include "data/GlassElement.h"
#include "data/Presets.h"
#include "data/UserSettings.h"
#include "work/BeakerLevel.h"
#include "work/QuickStartLiquid.h"
#include "work/SelectFunction.h"
#include "work/quickstart.h"
#include "work/speedadvancedsettings.h"

#include <QTranslator>

namespace {

QString labelText(QWidget *screen, const char *name)
{
    QLabel *l = screen->findChild<QLabel *>(name);
    return l ? l->text() : QString("<no %1>").arg(name);
}

// A beaker as a remote start leaves it selected, holding `content` portions
// (a content of 0 is what a beaker emptied but not deletable holds).
void selectBeaker(int content)
{
    actualSelectedGlass->reset();
    // A code of its own: an emptied beaker that was never stored keeps it.
    QVERIFY(actualSelectedGlass->setGlassCode(QString::asprintf("ABC.%05d", content + 1)));
    QVERIFY(actualSelectedGlass->setGlassType(QString("2")));
    actualSelectedGlass->initResidualContent(); // 65
    if (content < 65)
        actualSelectedGlass->decreaseGlassContent(65 - content);
    QVERIFY(actualSelectedGlass->isLoad());
    QCOMPARE(int(actualSelectedGlass->getResidualContent()), content);
}

} // namespace

class TestStartSettings : public QObject
{
    Q_OBJECT

    TempRoot root;

    std::unique_ptr<quickstart> openSoft(int glassDimension = 80)
    {
        actual = frostizing_soft;
        actual->Load();
        auto q = std::make_unique<quickstart>(nullptr, uint8_t(glassDimension));
        q->show();
        return q;
    }

private slots:
    void initTestCase()
    {
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        QVERIFY(root.mkpath("/home/root/recipes")); // as start-up leaves it
    }
    void init()
    {
        actualSelectedGlass->reset();
        for (int page = 1; page <= 3; ++page)
            settings.setAffSpeed(page, 0);
        QFile::remove(frostizing_soft->mainFilePath()); // back to the preset's own values
        frostizing_soft->Load();
    }
    void cleanup()
    {
        closeWindows();
        actual = frostizing_soft;
    }

    // The most portions: the beaker capacity over the portion size, or a
    // registered beaker's content; the count never goes past it or below 0,
    // and the start key turns green from one portion on.
    void portionsStayWithinWhatTheBeakerGives_data()
    {
        QTest::addColumn<int>("glassDimension");
        QTest::addColumn<int>("beakerContent"); // -1: no registered beaker
        QTest::addColumn<int>("most");
        QTest::newRow("home screen beaker") << 80 << -1 << 10;
        QTest::newRow("small capacity") << 20 << -1 << 2;
        QTest::newRow("registered beaker") << 80 << 43 << 5;
        QTest::newRow("registered beaker holding nothing") << 80 << 0 << 0;
    }
    void portionsStayWithinWhatTheBeakerGives()
    {
        QFETCH(int, glassDimension);
        QFETCH(int, beakerContent);
        QFETCH(int, most);
        if (beakerContent >= 0)
            selectBeaker(beakerContent);
        auto q = openSoft(glassDimension);
        QCOMPARE(q->maxPortions(), most);
        QPushButton *start = q->findChild<QPushButton *>("start_work");
        QVERIFY(start->styleSheet().contains("background-color: rgb(255, 255, 255);"));
        press(q.get(), "portion_plus", most + 3);
        QCOMPARE(q->getPortion(), most);
        QCOMPARE(int(actual->getPortion()), most);
        QCOMPARE(labelText(q.get(), "portion_value"), QString::number(most));
        QCOMPARE(q->findChild<BeakerLevel *>("level")->levels(), most);
        QCOMPARE(start->styleSheet().contains("background-color: rgb(88, 186, 72);"), most > 0);
        if (most == 0) {
            press(q.get(), "start_work");
            QCOMPARE(shownErrors(), QStringList{"Select a number of portions greater than zero."});
        }
        press(q.get(), "portion_minus", most + 3);
        QCOMPARE(q->getPortion(), 0);
        QCOMPARE(int(actual->getPortion()), 0);
    }

    // A count left in the program from before is held to the beaker too.
    void storedCountHeldToTheBeaker()
    {
        frostizing_soft->setPortion(9);
        selectBeaker(20); // 20 / 8: 2 portions
        actual = frostizing_soft;
        quickstart q(nullptr, 80);
        QCOMPARE(q.getPortion(), 2);
        QCOMPARE(int(actual->getPortion()), 2);
    }

    // Held keys repeat until the presses in a row have gone through every
    // portion the beaker gives; after a pause of more than a second they
    // repeat again.
    void portionKeysStopRepeatingAfterAFullRun()
    {
        auto q = openSoft(); // 10 portions at most
        QVERIFY(q->portionKeysRepeat());
        press(q.get(), "portion_plus"); // after a pause: counting starts
        QVERIFY(q->portionKeysRepeat());
        press(q.get(), "portion_plus", 9);
        QVERIFY(q->portionKeysRepeat());
        press(q.get(), "portion_plus"); // the tenth press in a row
        QVERIFY(!q->portionKeysRepeat());
        QCOMPARE(q->getPortion(), 10);
        press(q.get(), "portion_minus"); // still in the same run
        QVERIFY(!q->portionKeysRepeat());
        QTest::qWait(quickstart::kRepeatGapMs + 150);
        press(q.get(), "portion_minus");
        QVERIFY(q->portionKeysRepeat());
        QCOMPARE(q->getPortion(), 8);
    }

    // The offset moves the preset's speed one step either way, never past
    // the speeds there are, and is kept in the preset's user setting.
    void advancedSpeedOffset_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("highest");
        QTest::addColumn<int>("lowest");
        QTest::newRow("middle speed") << 4 << 1 << -1;
        QTest::newRow("slowest speed") << 1 << 1 << 0;
        QTest::newRow("fastest speed") << 8 << 0 << -1;
    }
    void advancedSpeedOffset()
    {
        QFETCH(int, base);
        QFETCH(int, highest);
        QFETCH(int, lowest);
        actual = frostizing_medium;
        speedadvancedsettings page(nullptr, 80, false, base);
        press(&page, "speed_plus", 3);
        QCOMPARE(page.offset(), highest);
        QCOMPARE(settings.getAffSpeed(2), highest);
        QCOMPARE(labelText(&page, "speed_value"), QString::number(highest));
        QVERIFY(base + page.offset() >= 1 && base + page.offset() <= 9);
        press(&page, "speed_minus", 3);
        QCOMPARE(page.offset(), lowest);
        QCOMPARE(settings.getAffSpeed(2), lowest);
        QVERIFY(base + page.offset() >= 1 && base + page.offset() <= 9);
        QCOMPARE(settings.getAffSpeed(1), 0); // the other presets keep theirs
        QCOMPARE(settings.getAffSpeed(3), 0);
    }

    // The speed a start sends: the stored offset is not trusted to hold
    // what the page allows.
    void offsetSpeedKeptToTheMachinesSpeeds_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("speed");
        QTest::newRow("faster") << 2 << 1 << 3;
        QTest::newRow("slower") << 2 << -1 << 1;
        QTest::newRow("stored offset far too large") << 2 << 50 << 3;
        QTest::newRow("stored offset far too small") << 5 << -80 << 4;
        QTest::newRow("never standstill") << 1 << -1 << 1;
        QTest::newRow("never past the fastest") << 8 << 1 << 8;
    }
    void offsetSpeedKeptToTheMachinesSpeeds()
    {
        QFETCH(int, base);
        QFETCH(int, offset);
        QFETCH(int, speed);
        QCOMPARE(int(WorkStartScreen::offsetSpeed(base, offset)), speed);
    }

    // A recipe has no offset: the keys do nothing.
    void advancedPageOfARecipe()
    {
        WorkSettings recipe;
        recipe.setRecipeType(1);
        recipe.filename = "10001";
        actual = &recipe;
        speedadvancedsettings page(nullptr, 80, false, 3);
        QVERIFY(!page.findChild<QPushButton *>("speed_plus")->isEnabled());
        page.on_speed_plus_clicked();
        QCOMPARE(page.offset(), 0);
        for (int p = 1; p <= 3; ++p)
            QCOMPARE(settings.getAffSpeed(p), 0);
        actual = frostizing_soft;
    }

    // Portion weight from 20 g to 140 g in steps of 20 g; a larger portion
    // descends one step more, at the speeds of the last one, and the count
    // shrinks to what the beaker then holds.
    void advancedPortionWeight()
    {
        auto q = openSoft();
        press(q.get(), "portion_plus", 10);
        QCOMPARE(int(actual->getPortion()), 10);
        const MillingStep first = actual->getMillingSteps(0);
        q->on_adv_settings_clicked();
        QPointer<speedadvancedsettings> page = q->advancedPage();
        QVERIFY(page && page->isVisible());
        QCOMPARE(labelText(page, "weight_value"), QString("80g"));
        press(page, "weight_plus");
        QCOMPARE(int(actual->getPortionDimension()), 10);
        QCOMPARE(int(actual->getPortion()), 8); // 80 / 10
        press(page, "weight_plus", 5);
        QCOMPARE(int(actual->getPortionDimension()), 14);
        QCOMPARE(labelText(page, "weight_value"), QString("140g"));
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(int(actual->getMillingSteps(i).CutSpeed), int(first.CutSpeed));
            QCOMPARE(int(actual->getMillingSteps(i).ImmersionSpeed), int(first.ImmersionSpeed));
        }
        QCOMPARE(int(actual->getPortion()), 5); // 80 / 14
        press(page, "weight_minus", 10);
        QCOMPARE(int(actual->getPortionDimension()), 2);
        QCOMPARE(labelText(page, "weight_value"), QString("20g"));
        // Back on the start screen the count fits the new size.
        press(page, "weight_plus", 3); // 8 again
        page->close();
        QTRY_VERIFY(page.isNull());
        QCOMPARE(q->maxPortions(), 10);
        QCOMPARE(q->getPortion(), 5);
    }

    // Saving stores the preset and the offset.
    void advancedSave()
    {
        actual = frostizing_soft;
        speedadvancedsettings page(nullptr, 80, false, 2);
        press(&page, "weight_minus"); // 60 g
        press(&page, "speed_plus");
        press(&page, "save");
        WorkSettings stored;
        stored.filename = "milling_soft";
        QVERIFY(stored.Load());
        QCOMPARE(int(stored.getPortionDimension()), 6);
        QVERIFY(settings.load());
        QCOMPARE(settings.getAffSpeed(1), 1);
    }

    // The selection points `actual` at the chosen function's soft preset
    // itself, reloaded, hands over to the liquid start and goes when it goes.
    void selectionHandsOverToTheLiquidStart_data()
    {
        QTest::addColumn<QString>("touched");
        QTest::addColumn<int>("function");
        QTest::newRow("cutting label") << "cutting_label" << 2;
        QTest::newRow("whipping picture") << "whipping_icon" << 3;
    }
    void selectionHandsOverToTheLiquidStart()
    {
        QFETCH(QString, touched);
        QFETCH(int, function);
        WorkSettings *preset = function == 2 ? cutting_soft : whipping_soft;
        preset->setExtraEmulsionStep(4); // not stored: the reload drops it
        actual = frostizing_soft;
        QPointer<SelectFunction> select = new SelectFunction(nullptr);
        select->setAttribute(Qt::WA_DeleteOnClose);
        select->show();
        QLabel *target = select->findChild<QLabel *>(touched);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        QCOMPARE(actual, preset);
        QCOMPARE(int(actual->getExtraEmulsionStep()), 0);
        QPointer<QuickStartLiquid> liquid = select->startScreen();
        QVERIFY(liquid && liquid->isVisible() && !select->isVisible());
        QCOMPARE(liquid->function(), function);
        QCOMPARE(liquid->programType(), 0);
        // A second touch meanwhile opens nothing more.
        select->cutting_clicked();
        QCOMPARE(select->startScreen(), liquid.data());
        QCOMPARE(visibleWindows<QuickStartLiquid>().size(), 1);
        press(liquid, "return_home");
        QTRY_VERIFY(liquid.isNull());
        QTRY_VERIFY(select.isNull());
    }

    // After a change of language the labels are translated again.
    void selectionRetranslatesAndGoesHome()
    {
        QPointer<SelectFunction> select = new SelectFunction(nullptr);
        select->setAttribute(Qt::WA_DeleteOnClose);
        select->show();
        QCOMPARE(labelText(select, "cutting_label"), QString("CUTTING"));
        QTranslator italian;
        QVERIFY(italian.load(QCoreApplication::applicationDirPath() + "/../languages/italiano_it.qm"));
        QCoreApplication::installTranslator(&italian);
        QCoreApplication::processEvents(); // the language change reaches the windows
        const QStringList translated = {labelText(select, "cutting_label"), labelText(select, "whipping_label"),
                                        select->findChild<QPushButton *>("return_home")->text()};
        QCoreApplication::removeTranslator(&italian);
        QCoreApplication::processEvents();
        QCOMPARE(translated, (QStringList{"TAGLIO", "MONTATURA", "HOME"}));
        QCOMPARE(labelText(select, "cutting_label"), QString("CUTTING"));
        press(select, "return_home");
        QTRY_VERIFY(select.isNull());
    }
};

WORK_TEST_MAIN(TestStartSettings)
#include "tst_startsettings.moc"
