// The settings menu: which tiles each access mode gets, the pages between
// them, every tile opening its page once, and the factory reset's question.

#include "support_shell.h"

#include "app/AppState.h"
#include "app/DialogMessage.h"
#include "data/Presets.h"
#include "data/UserSettings.h"
#include "shell/SettingsForm.h"

class TestSettingsMenu : public QObject
{
    Q_OBJECT

    TempRoot root;

    static void setMode(const QString &mode)
    {
        advancedUserEnabled = mode == "advanced";
        serviceEnable = mode == "service";
    }

private slots:
    void initTestCase()
    {
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
    }
    void cleanup()
    {
        setMode("operator");
        closeWindows();
    }

    void tilesByAccessMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("tiles");
        const QStringList everyone{"language", "supply", "date", "energy", "wifi", "machineInfo", "errorState", "systemInfo"};
        const QStringList advanced = everyone + QStringList{"firmware", "factoryReset", "serviceCounters"};
        QTest::newRow("operator") << "operator" << everyone;
        QTest::newRow("advanced user") << "advanced" << advanced;
        QTest::newRow("service") << "service" << advanced + QStringList{"service"};
    }
    // Only the current page's tiles show, and the arrows lead through every
    // page and no further.
    void tilesByAccessMode()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, tiles);
        setMode(mode);
        SettingsForm menu;
        menu.show();
        QCOMPARE(menu.tileNames(), tiles);
        const int pages = (tiles.size() + SettingsForm::kTilesPerPage - 1) / SettingsForm::kTilesPerPage;
        QCOMPARE(menu.pageCount(), pages);
        auto *previous = menu.findChild<QAbstractButton *>("previous");
        auto *next = menu.findChild<QAbstractButton *>("next");
        for (int p = 0; p < pages; ++p) {
            QCOMPARE(menu.currentPage(), p);
            QCOMPARE(previous->isVisible(), p > 0);
            QCOMPARE(next->isVisible(), p < pages - 1);
            for (int i = 0; i < tiles.size(); ++i)
                QCOMPARE(menu.findChild<QAbstractButton *>(tiles[i])->isVisible(),
                         i / SettingsForm::kTilesPerPage == p);
            if (next->isVisible())
                next->click();
        }
        for (int p = pages - 1; p > 0; --p)
            previous->click();
        QCOMPARE(menu.currentPage(), 0);
    }

    // A second tap while the page is up opens no twin; once it closes the
    // tile opens it again.
    void everyTileOpensItsPageOnce()
    {
        setMode("service");
        SettingsForm menu;
        menu.show();
        for (const QString &name : menu.tileNames()) {
            if (name == "factoryReset")
                continue;
            while (!menu.findChild<QAbstractButton *>(name)->isVisible())
                menu.findChild<QAbstractButton *>("next")->click();
            auto *tile = menu.findChild<QAbstractButton *>(name);
            tile->click();
            QPointer<QWidget> page = menu.openPage(name);
            QVERIFY2(page && page->isVisible(), qPrintable(name));
            tile->click();
            QCOMPARE(menu.openPage(name), page.data());
            page->close();
            QTRY_VERIFY2(!page, qPrintable(name));
            QVERIFY(!menu.openPage(name));
        }
    }

    // "No" keeps the operator's settings; "yes" restores the defaults and
    // leaves the menu, whose pages showed the old values.
    void factoryResetAsksFirst()
    {
        setMode("advanced");
        QVERIFY(settings.setMyBrightness(80) && settings.save());
        QPointer<SettingsForm> menu = new SettingsForm;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->show();
        menu->findChild<QAbstractButton *>("next")->click();
        menu->findChild<QAbstractButton *>("factoryReset")->click();
        QVERIFY(menu->resetQuestion());
        menu->resetQuestion()->reject();
        QTRY_VERIFY(!menu->resetQuestion());
        QVERIFY(settings.load());
        QCOMPARE(int(settings.getBrightness()), 80);

        menu->findChild<QAbstractButton *>("factoryReset")->click();
        menu->resetQuestion()->accept();
        QTRY_VERIFY(!menu);
        QVERIFY(!QFile::exists(root.path("/home/root/user_settings")));
        settings.load();
        QCOMPARE(int(settings.getBrightness()), 50);
    }
};

SHELL_TEST_MAIN(TestSettingsMenu)
#include "tst_settingsmenu.moc"
