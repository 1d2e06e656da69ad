// The error manager: counting, limits, showing once per run, the stored
// counter file and occurrence log (against hand-written bytes) and the CSV
// export to a sandbox USB stick.

#include "../app/support_app.h"

#include "TempRoot.h"
#include "app/AppState.h"
#include "app/ErrorMessage.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "errors/ErrorManager.h"
#include "link/LinkHooks.h"
#include "link/SharedState.h"
#include "platform/clock.h"

#include <QLabel>
#include <QtTest>

#include <ctime>

namespace {

QByteArray be16(quint16 v)
{
    return QByteArray() + char(v >> 8) + char(v & 0xFF);
}

QByteArray be32(quint32 v)
{
    return be16(quint16(v >> 16)) + be16(quint16(v & 0xFFFF));
}

QByteArray be64(quint64 v)
{
    return be32(quint32(v >> 32)) + be32(quint32(v & 0xFFFFFFFF));
}

// A counter file: fatal flag, then (consecutive, total) per code.
QByteArray counterFile(bool fatal, const QVector<QPair<quint16, quint32>> &codes)
{
    QByteArray b(1, fatal ? 1 : 0);
    for (const auto &c : codes)
        b += be16(c.first) + be32(c.second);
    return b;
}

QVector<QPair<quint16, quint32>> zeros(int n)
{
    return QVector<QPair<quint16, quint32>>(n, {0, 0});
}

int64_t localTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&t));
}

} // namespace

class ErrorManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tableOfTheMachine();
    void countingOnceOrEveryTime();
    void countersStopAt65500();
    void codesOutsideTheTable();
    void counterFileBytes();
    void counterFileLoading_data();
    void counterFileLoading();
    void limitsFile();
    void occurrenceLogBytesAndTornTail();
    void shownOncePerRun();
    void resetNeedsAdvancedUser();
    void csvExportToUsbStick();
    void linkHookCounts();

private:
    int syncs = 0;
};

void ErrorManagerTest::initTestCase()
{
    initErrorsResources();
    syscmd::setSyncRunner([this] { ++syncs; });
}

void ErrorManagerTest::init()
{
    reset_errori();
    ErrorWindowFlag = false;
    advancedUserEnabled = false;
    costructorEnable = false;
    usbMount = false;
    actualFunc = actualDir = actualCutSpeed = actualImmSpeed = 0;
    actualPortion = actualPortionWorked = actualPression = 0;
}

void ErrorManagerTest::cleanup()
{
    platform::clearFixedNow();
}

void ErrorManagerTest::tableOfTheMachine()
{
    ErrorManager e;
    e.fillErrorTable();
    e.fillErrorTable(); // filling again replaces, it does not append
    QCOMPARE(e.tableSize(), 14);
    const QStringList texts = e.getListError();
    QCOMPARE(texts[0], QString("TECNICAL PROBLEM, CONTACT THE ASSISTANCE"));
    QCOMPARE(texts[7], QString("ERROR 7\nDescription E7"));
    QCOMPARE(texts[13], QString("ERROR 13\nDescription E13"));
    for (int code = 0; code < 14; ++code) {
        const bool limited = code == 1 || code == 5 || code == 6;
        QCOMPARE(int(e.consecutiveLimit(code)), limited ? 25 : 0);
        QCOMPARE(int(e.signalLimit(code)), limited ? 5 : 0);
    }
    ErrorDescriptionTranslate();
    QCOMPARE(ErrorDescription, texts);
}

void ErrorManagerTest::countingOnceOrEveryTime()
{
    TempRoot root;
    ErrorManager e;
    e.fillErrorTable();
    for (int code : {1, 1, 2, 2, 8, 9, 9, 0, 13})
        e.setErrorCode(uint8_t(code));
    auto consecutive = e.getActualError();
    auto total = e.getErrorOccunrnce();
    QCOMPARE(int(consecutive[1]), 2);
    QCOMPARE(int(total[1]), 2);
    QCOMPARE(int(total[2]), 1);
    QCOMPARE(int(total[8]), 1);
    QCOMPARE(int(total[9]), 1);
    QCOMPARE(int(total[13]), 1);
    QCOMPARE(int(total[0]), 0);
    QCOMPARE(int(e.getActualErrorCode()), 13);

    // A new run counts 2, 8 and 9 once more.
    reset_errori();
    e.setErrorCode(2);
    e.setErrorCode(2);
    QCOMPARE(int(e.getErrorOccunrnce()[2]), 2);

    // Every counted occurrence is logged and saved.
    e.loadListError();
    QCOMPARE(e.loadedOccurrences(), size_t(7));
}

void ErrorManagerTest::countersStopAt65500()
{
    TempRoot root;
    auto codes = zeros(14);
    codes[1] = {65499, 65499};
    codes[5] = {65500, 4000000000u}; // a total already beyond the limit stays
    QVERIFY(root.writeFile("/home/root/error", counterFile(false, codes)));
    ErrorManager e;
    e.fillErrorTable();
    e.loadData();
    e.setErrorCode(1);
    e.setErrorCode(1);
    e.setErrorCode(5);
    QCOMPARE(int(e.getActualError()[1]), 65500);
    QCOMPARE(int(e.getErrorOccunrnce()[1]), 65500);
    QCOMPARE(int(e.getActualError()[5]), 65500);
    QCOMPARE(e.getErrorOccunrnce()[5], 4000000000u);
}

void ErrorManagerTest::codesOutsideTheTable()
{
    TempRoot root;
    platform::setFixedNow(1'000'000);
    ErrorManager e;
    // Reported before the home screen has filled the table.
    e.setErrorCode(3);
    QCOMPARE(e.tableSize(), 0);
    e.fillErrorTable();
    e.setErrorCode(127);
    QVERIFY(e.getActualError().size() == 14);
    // Both occurrences are in the log all the same.
    QVERIFY(e.loadListError());
    QCOMPARE(e.loadedOccurrences(), size_t(2));
    QCOMPARE(e.getLastErrorNotification(), uint64_t(1'000'060));

    // Shown with the general text.
    QString shown;
    whenModal<ErrorMessage>([&](ErrorMessage *m) {
        shown = m->displayMessage();
        m->close();
    });
    e.displayError();
    QCOMPARE(shown, QString("TECNICAL PROBLEM, CONTACT THE ASSISTANCE"));
}

void ErrorManagerTest::counterFileBytes()
{
    TempRoot root;
    ErrorManager e;
    e.fillErrorTable();
    syncs = 0;
    e.setErrorCode(5);
    e.setErrorCode(5);
    e.setErrorCode(12);
    QVERIFY(syncs >= 6); // log and counters, each forced to storage
    auto codes = zeros(14);
    codes[5] = {2, 2};
    codes[12] = {1, 1};
    QCOMPARE(root.readFile("/home/root/error"), counterFile(false, codes));
    QCOMPARE(root.readFile("/home/root/error").size(), 1 + 14 * 6);
}

void ErrorManagerTest::counterFileLoading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("fatal");
    QTest::addColumn<int>("consecutive1");
    QTest::addColumn<int>("total1");
    QTest::addColumn<int>("total13");

    auto full = zeros(14);
    full[1] = {3, 70000};
    full[13] = {1, 9};
    QTest::newRow("whole") << counterFile(true, full) << true << 3 << 70000 << 9;
    QTest::newRow("shorter table") << counterFile(false, {{0, 0}, {4, 5}}) << false << 4 << 5 << 0;
    QByteArray torn = counterFile(false, full);
    torn.chop(40); // ends inside code 7
    QTest::newRow("torn") << torn << false << 3 << 70000 << 0;
    QTest::newRow("empty") << QByteArray() << false << 0 << 0 << 0;
    QTest::newRow("missing") << QByteArray("-") << false << 0 << 0 << 0;
}

void ErrorManagerTest::counterFileLoading()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, fatal);
    QFETCH(int, consecutive1);
    QFETCH(int, total1);
    QFETCH(int, total13);
    TempRoot root;
    if (file != "-")
        QVERIFY(root.writeFile("/home/root/error", file));
    ErrorManager e;
    e.fillErrorTable();
    e.loadData();
    QCOMPARE(e.isFatal(), fatal);
    QCOMPARE(int(e.getActualError()[1]), consecutive1);
    QCOMPARE(int(e.getErrorOccunrnce()[1]), total1);
    QCOMPARE(int(e.getErrorOccunrnce()[13]), total13);
    QCOMPARE(e.getActualError().size(), size_t(14));
}

void ErrorManagerTest::limitsFile()
{
    TempRoot root;
    QVERIFY(root.writeFile("/home/root/error.csv", "30, 0,abc,-4\r\n7\n\n70000,9,1,2,3,4,5,6,7,8,9,10\n"));
    ErrorManager e;
    e.fillErrorTable();
    e.loadData();
    QCOMPARE(int(e.consecutiveLimit(1)), 30);
    QCOMPARE(int(e.signalLimit(1)), 30);
    QCOMPARE(int(e.consecutiveLimit(2)), 0);
    QCOMPARE(int(e.consecutiveLimit(3)), 0);  // not a number: the table's value
    QCOMPARE(int(e.consecutiveLimit(4)), 0);  // negative: the table's value
    QCOMPARE(int(e.consecutiveLimit(5)), 7);  // the next line goes on counting
    QCOMPARE(int(e.consecutiveLimit(6)), 25); // out of range: the table's value
    QCOMPARE(int(e.consecutiveLimit(7)), 9);
    QCOMPARE(int(e.consecutiveLimit(13)), 6);
    QCOMPARE(int(e.consecutiveLimit(0)), 0);
}

void ErrorManagerTest::occurrenceLogBytesAndTornTail()
{
    TempRoot root;
    // A power cut left a record and a half.
    const QByteArray first = be64(1000) + QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    QVERIFY(root.writeFile("/home/root/error_details", first + QByteArray("\x00\x00\x00\x00\x00", 5)));

    platform::setFixedNow(0x0102030405LL);
    actualFunc = 1;
    actualDir = 255;
    actualCutSpeed = 12;
    actualImmSpeed = 3;
    actualPortion = 8;
    actualPortionWorked = 5;
    actualPression = 0x70;
    ErrorManager e;
    e.fillErrorTable();
    e.setErrorCode(6);
    QCOMPARE(root.readFile("/home/root/error_details"),
             first + be64(0x0102030405ULL) + QByteArray("\x06\x01\xff\x0c\x03\x08\x05\x70", 8));
    QVERIFY(e.loadListError());
    QCOMPARE(e.loadedOccurrences(), size_t(2));
}

void ErrorManagerTest::shownOncePerRun()
{
    TempRoot root;
    ErrorManager e;
    e.fillErrorTable();
    e.setErrorCode(1);

    int shownCount = 0;
    QString text, title;
    bool presentWhileUp = false;
    auto answer = [&](ErrorMessage *m) {
        ++shownCount;
        text = m->displayMessage();
        title = m->findChild<QLabel *>("title")->text();
        presentWhileUp = e.errorPresence();
        m->close();
    };
    whenModal<ErrorMessage>(answer);
    QCOMPARE(e.displayError(), false);
    QCOMPARE(shownCount, 1);
    QCOMPARE(text, QString("ERROR 1\nDescription E1\n1 / 25"));
    QCOMPARE(title, QString("ERROR"));
    QVERIFY(presentWhileUp);
    QVERIFY(ErrorWindowFlag);
    QVERIFY(!e.errorPresence());
    QCOMPARE(int(e.getActualErrorCode()), 0);

    // Nothing pending: nothing shown.
    e.displayError();
    // Reported again in the same run: counted, not shown.
    e.setErrorCode(1);
    QCOMPARE(int(e.getActualError()[1]), 2);
    bool found = true;
    whenModal<ErrorMessage>(answer, &found, 300);
    e.displayError();
    QTest::qWait(400);
    QVERIFY(!found);
    QCOMPARE(shownCount, 1);

    // The next run shows it again, with the count so far.
    reset_errori();
    whenModal<ErrorMessage>(answer);
    e.displayError();
    QCOMPARE(shownCount, 2);
    QCOMPARE(text, QString("ERROR 1\nDescription E1\n2 / 25"));

    // A code without a consecutive limit shows its text alone.
    reset_errori();
    e.setErrorCode(4);
    whenModal<ErrorMessage>(answer);
    e.displayError();
    QCOMPARE(text, QString("ERROR 4\nDescription E4"));
}

void ErrorManagerTest::resetNeedsAdvancedUser()
{
    TempRoot root;
    ErrorManager e;
    e.fillErrorTable();
    e.setErrorCode(1);
    e.setErrorCode(3);
    const QByteArray before = root.readFile("/home/root/error");

    e.resetConsecutiveError();
    QCOMPARE(int(e.getActualError()[1]), 1);
    QCOMPARE(root.readFile("/home/root/error"), before);

    advancedUserEnabled = true;
    e.resetConsecutiveError();
    QCOMPARE(int(e.getActualError()[1]), 0);
    QCOMPARE(int(e.getActualError()[3]), 0);
    QCOMPARE(int(e.getErrorOccunrnce()[1]), 1);
    auto codes = zeros(14);
    codes[1] = {0, 1};
    codes[3] = {0, 1};
    QCOMPARE(root.readFile("/home/root/error"), counterFile(false, codes));

    costructorEnable = true;
    e.resetConsecutiveError();
    QCOMPARE(root.readFile("/home/root/error"), counterFile(false, zeros(14)));
}

void ErrorManagerTest::csvExportToUsbStick()
{
    TempRoot root;
    serialNumber = "FP-0042";
    const int64_t t1 = localTime(2025, 3, 4, 10, 20, 30);
    platform::setFixedNow(t1);
    ErrorManager e;
    e.fillErrorTable();
    actualFunc = 2;
    actualDir = 1;
    actualCutSpeed = 10;
    actualImmSpeed = 4;
    actualPortion = 6;
    actualPortionWorked = 3;
    actualPression = 15;
    e.setErrorCode(5);
    platform::advanceFixedNow(65);
    e.setErrorCode(99); // outside the table: logged without a name
    QVERIFY(e.loadListError());

    // Without the stick mounted nothing is written, even where it would go.
    QVERIFY(root.mkpath("/mnt/usb-memory"));
    QVERIFY(!e.listErrorToCSV());
    QVERIFY(QDir(root.path("/mnt/usb-memory")).isEmpty());

    usbMount = true;
    QVERIFY(e.listErrorToCSV());
    const QByteArray csv = root.readFile("/mnt/usb-memory/error_details_2025-03-04.csv");
    QByteArray expected = "SN: FP-0042\nTOTAL ERROR\nError Name;Error Tot.;Error Att.\n";
    for (int code = 1; code <= 13; ++code) {
        const int n = code == 5 ? 1 : 0;
        expected += QString("ERROR %1 Description E%1;%2;%2\n").arg(code).arg(n).toUtf8();
    }
    expected += "\nError Dettails\n";
    expected += QString::fromUtf8("Date;Error Name;Funzione;Direzione/Posizione;Velocità Taglio;Velocità Discesa;"
                                  "Porzioni Richieste;Porzioni Lavorate;Pressione\n")
                    .toUtf8();
    expected += "2025-03-04 10:20:30;ERROR 5 Description E5;2;1;10;4;6;3;15\n";
    expected += "2025-03-04 10:21:35;;2;1;10;4;6;3;15\n";
    QCOMPARE(csv, expected);
}

void ErrorManagerTest::linkHookCounts()
{
    TempRoot root;
    errorSystem.fillErrorTable();
    connectErrorHooks();
    QVERIFY(bool(LinkHooks::errorCodeRead));
    LinkHooks::errorCodeRead(6);
    QCOMPARE(int(errorSystem.getActualErrorCode()), 6);
    QCOMPARE(int(errorSystem.getErrorOccunrnce()[6]), 1);
    LinkHooks::errorCodeRead = nullptr;
}

QTEST_MAIN(ErrorManagerTest)
#include "tst_errormanager.moc"
