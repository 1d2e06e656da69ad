#include "settings/WiFiManager.h"
#include "ui_WiFiManager.h"

#include "app/AppState.h"
#include "app/DialogMessage.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/report.h"
#include "remote/RemoteState.h"
#include "settings/DisplayKeyboard.h"
#include "settings/translator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

const char *const kRowWhite = "background-color: rgb(255, 255, 255);";
const char *const kRowGreen = "background-color: rgb(88, 186, 72);";
// What every row has besides its background.
const char *const kRowFrame = "border: 2px solid rgba(126, 191, 255, 255); border-radius: 8px; color: #202020; "
                              "padding: 8px 10px 0px 10px; ";

// Border and padding at each side of a row's name.
constexpr int kRowInset = 12;

// Shortest keys the screen lets through (the daemon's own limits follow in
// the user settings).
constexpr int kWpaMinChars = 8;
constexpr int kWepMinChars = 13;

// The characters right after "Signal level=" tell the quality: a dBm figure
// below -45 is good, -45 and above excellent; anything that is not a whole
// number ("70/" of "70/100") is not usable.
uint8_t qualityOf(const QString &line)
{
    const QString marker = QStringLiteral("Signal level=");
    const QString value = line.mid(line.indexOf(marker) + marker.size(), 3);
    bool number = false;
    const int dbm = value.toInt(&number);
    if (value.isEmpty() || !number)
        return 0;
    return dbm < -45 ? 3 : 4;
}

// The largest size up to `points` at which the key's text fits its width.
void fitKeyText(QPushButton *key, QFont f, int points)
{
    for (; points > 9; --points) {
        f.setPointSize(points);
        if (QFontMetrics(f).horizontalAdvance(key->text()) <= key->width() - 12)
            break;
    }
    f.setPointSize(points);
    key->setFont(f);
}

// Whether a line of "iwconfig wlan0" says the interface joined `essid`: the
// name between the quotes, whole ("Net" is not "Network2").
bool lineJoins(const QString &line, const QString &essid)
{
    return line.contains(QStringLiteral("ESSID:\"") + essid + QLatin1Char('"'));
}

} // namespace

WiFiManager::WiFiManager(QWidget *parent) : QDialog(parent), ui(new Ui::WiFiManager), findTimer(new QTimer(this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(480, 272);

    // The form keeps the three panels below the screen, one screen height
    // apart; they are laid over it here and shown when needed.
    const std::array<std::pair<QWidget *, QWidget *>, 3> panels{{{ui->label_26, ui->groupBox},
                                                                  {ui->label_27, ui->groupBox_2},
                                                                  {ui->label_28, ui->groupBox_3}}};
    int shift = 272;
    for (const auto &[backdrop, group] : panels) {
        backdrop->move(backdrop->x(), backdrop->y() - shift);
        group->move(group->x(), group->y() - shift);
        backdrop->hide();
        group->hide();
        shift += 272;
    }
    connect(ui->label_26, &ClickableLabel::clicked, this, &WiFiManager::settingvaluehide_clicked);
    connect(ui->label_28, &ClickableLabel::clicked, this, &WiFiManager::settingvaluehide_clicked);
    // The quality lines lie on the rows: a touch on them belongs to the row.
    for (QLabel *q : {ui->quality_1, ui->quality_2, ui->quality_3, ui->quality_4})
        q->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QLabel *row : {ui->step_1, ui->step_2, ui->step_3, ui->step_4})
        row->setIndent(0);

    populateList();
    connect(findTimer, &QTimer::timeout, this, &WiFiManager::findActiveWirelesses);
    findTimer->start(kFirstScanMs);

    enableScreenSaver = false;
    applyThemeColor(this);
    retranslate();
    changeFont();
}

WiFiManager::~WiFiManager()
{
    // Closed in the middle of an attempt: the stored network's configuration
    // goes back in place (the interface follows it at its next start).
    if (chainRunning)
        settings.restorePreviousConfiguration();
    for (QLabel *row : {ui->step_1, ui->step_2, ui->step_3, ui->step_4})
        removeRollingObject(row);
    // A password typed here must not linger in the keyboard's result.
    keyboardReturn.fill('\0');
    keyboardReturn.clear();
    lastUserEventOccurred = uint64_t(platform::nowSeconds()) + uint64_t(settings.getScreenSaverTime());
    enableScreenSaver = true;
    delete ui;
}

QString WiFiManager::qualityWord(int level)
{
    switch (level) {
    case 1:
        return tr("INSUFFICIENT");
    case 2:
        return tr("SUFFICIENT");
    case 3:
        return tr("GOOD");
    case 4:
        return tr("EXCELLENT");
    default:
        return tr("NOT USABLE");
    }
}

// ---- scanning ---------------------------------------------------------------------

void WiFiManager::findActiveWirelesses()
{
    findTimer->start(kScanPeriodMs);
    if (scanRun) // the previous scan is still going
        return;
    scanRun = ToolRun::start(QStringLiteral("iwlist"), {QStringLiteral("wlan0"), QStringLiteral("scanning")}, this,
                             [this](const ToolRun::Result &r) {
                                 // A scan that failed or was killed finds nothing.
                                 parseScan(r.ok() ? r.output : QByteArray());
                                 reorderList();
                                 populateList();
                                 emit scanListed();
                             });
}

void WiFiManager::parseScan(const QByteArray &output)
{
    wifiESSID.clear();
    encryption_type.clear();
    signal_level.clear();

    // One entry per cell in all three lists: a cell that lacks the
    // encryption or the signal line counts as open and not usable, so the
    // lists never get out of step. A cell that announced encryption of a
    // kind not named (no WEP or WPA2 line) counts as WPA: its key goes in as
    // a pre-shared key.
    bool inCell = false;
    bool named = false;
    int type = -1;
    int level = 0;
    const auto endCell = [&] {
        if (inCell && named) {
            if (type < 0)
                type = encryption_key ? 2 : 0;
            encryption_type.append(char(type));
            signal_level.append(char(level));
        }
        inCell = named = false;
        type = -1;
        level = 0;
        encryption_key = false;
    };

    // A cell's first line and its name are told by how the line begins: a
    // network's name may itself hold "Cell" or any other word looked for.
    for (const QString &line : QString::fromLocal8Bit(output).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("Cell "))) {
            endCell();
            inCell = true;
        } else if (trimmed.startsWith(QLatin1String("ESSID:"))) {
            QString name = trimmed.mid(6);
            name.remove(QLatin1Char('"'));
            // A hidden network (no name) cannot be chosen from a list.
            if (name.isEmpty() || named)
                continue;
            if (!inCell) {
                endCell();
                inCell = true;
            }
            platform::debugLine(name.toStdString());
            wifiESSID << name;
            named = true;
        } else if (line.contains(QLatin1String("Encryption key"))) {
            QString rest = line;
            rest.remove(QStringLiteral("Encryption key:"));
            if (rest.contains(QLatin1String("on"))) {
                encryption_key = true;
            } else {
                encryption_key = false;
                type = 0;
            }
        } else if (encryption_key && line.contains(QLatin1String("WPA2"))) {
            type = 2;
            encryption_key = false;
        } else if (encryption_key && line.contains(QLatin1String("WEP"))) {
            type = 1;
            encryption_key = false;
        } else if (line.contains(QLatin1String("Signal level="))) {
            level = qualityOf(line);
        }
    }
    endCell();
}

void WiFiManager::reorderList()
{
    QStringList names;
    QByteArray types, levels;
    for (int quality = 4; quality >= 0; --quality) {
        for (int i = 0; i < wifiESSID.size(); ++i) {
            if (signal_level.at(i) != quality)
                continue;
            names << wifiESSID.at(i);
            types.append(encryption_type.at(i));
            levels.append(signal_level.at(i));
        }
    }
    wifiESSID = names;
    encryption_type = types;
    signal_level = levels;
    if (idxList > std::max(0, int(wifiESSID.size()) - kRows))
        idxList = std::max(0, int(wifiESSID.size()) - kRows);
}

void WiFiManager::populateList()
{
    const std::array<ClickableLabel *, kRows> rows{ui->step_1, ui->step_2, ui->step_3, ui->step_4};
    const std::array<QLabel *, kRows> qualities{ui->quality_1, ui->quality_2, ui->quality_3, ui->quality_4};
    for (int r = 0; r < kRows; ++r) {
        ClickableLabel *row = rows[r];
        removeRollingObject(row);
        row->clear();
        qualities[r]->clear();
        row->disconnect(this);
        row->setStyleSheet(QLatin1String(kRowFrame) + QLatin1String(kRowWhite));
        const int idx = idxList + r;
        if (idx >= wifiESSID.size()) {
            row->setVisible(false);
            continue;
        }
        row->setVisible(true);
        row->setText(wifiESSID.at(idx));
        if (settings.checkWifiEssid(wifiESSID.at(idx)))
            row->setStyleSheet(QLatin1String(kRowFrame) + QLatin1String(kRowGreen));
        const int type = encryption_type.at(idx);
        qualities[r]->setText(qualityWord(signal_level.at(idx)) + QStringLiteral("  \u00b7  ") +
                              (type == 2   ? QStringLiteral("WPA2")
                               : type == 1 ? QStringLiteral("WEP")
                                           : tr("OPEN")));
        connect(row, &ClickableLabel::clicked, this, &WiFiManager::settingvalueshow_clicked);
        // A name rolls when it is longer than the row shows (at most 25
        // characters stand still).
        const QString name = row->text();
        const QFontMetrics fm(row->font());
        const int room = row->width() - 2 * kRowInset;
        int fits = 0;
        while (fits < name.size() && fm.horizontalAdvance(name.left(fits + 1)) <= room)
            ++fits;
        addRollingObject(row, std::min(kRollChars, fits));
    }
    ui->pushButton_3->setEnabled(idxList >= 1);
    ui->pushButton_2->setEnabled(idxList < wifiESSID.size() - kRows);
}

void WiFiManager::on_pushButton_2_clicked()
{
    if (idxList < wifiESSID.size() - kRows) {
        ++idxList;
        populateList();
    }
}

void WiFiManager::on_pushButton_3_clicked()
{
    if (idxList >= 1) {
        --idxList;
        populateList();
    }
}

void WiFiManager::on_pushButton_4_clicked()
{
    close();
}

// ---- choosing a network and its password --------------------------------------

void WiFiManager::settingvalueshow_clicked()
{
    const QString name = sender() ? sender()->objectName() : QString();
    if (!name.startsWith(QLatin1String("step_")) || chainRunning)
        return;
    const int offset = name.mid(5).toInt() - 1;
    if (offset < 0 || offset >= kRows || idxList + offset >= wifiESSID.size())
        return;
    findTimer->stop();
    wifiSelectedIdx = idxList + offset;
    selectedEssid = wifiESSID.at(wifiSelectedIdx);
    selectedType = uint8_t(encryption_type.at(wifiSelectedIdx));
    selectedIsStored = settings.checkWifiEssid(selectedEssid);
    inserted_wifikey.clear();

    if (selectedType == 0) {
        ui->label_2->setText(tr("CONNESSIONE WIFI APERTA: "));
        ui->wifikey->hide();
    } else {
        ui->label_2->setText(tr("INSERISCI LA PASSWORD\nDELLA CONNESSIONE WIFI: "));
        ui->wifikey->show();
        ui->wifikey->setText(selectedIsStored ? QStringLiteral("*********") : QString());
    }
    ui->label_3->setText(selectedEssid);
    fitTextToLabel(ui->label_3, 13, 9);
    showPanel(ui->label_26, ui->groupBox, true);
}

void WiFiManager::on_wifikey_clicked()
{
    if (keyboardOpen)
        return;
    keyboardOpen = true;
    keyboardStatus = 0;
    // Shown without blocking: the event loop (and the home screen's poll)
    // goes on while the operator types. No suggestions for a password.
    auto *keyboard = new DisplayKeyboard(this);
    keyboard->setAttribute(Qt::WA_DeleteOnClose);
    keyboard->setPromptList({});
    keyboard->setText(inserted_wifikey);
    connect(keyboard, &QDialog::finished, this, &WiFiManager::keyboardClosed);
    keyboard->open();
}

void WiFiManager::keyboardClosed(int result)
{
    keyboardOpen = false;
    if (result == QDialog::Accepted && keyboardStatus == 1) {
        inserted_wifikey = QString::fromUtf8(keyboardReturn);
        ui->wifikey->setText(QString(inserted_wifikey.size(), QLatin1Char('*')));
    }
    keyboardReturn.fill('\0');
    keyboardReturn.clear();
}

void WiFiManager::on_settingvaluehide_clicked()
{
    ui->wifikey->clear();
    inserted_wifikey.clear();
    showPanel(ui->label_26, ui->groupBox, false);
    findActiveWirelesses();
    findTimer->start(kScanPeriodMs);
}

void WiFiManager::settingvaluehide_clicked()
{
    showPanel(ui->label_26, ui->groupBox, false);
    showPanel(ui->label_28, ui->groupBox_3, false);
}

void WiFiManager::on_pushButton_9_clicked()
{
    showPanel(ui->label_28, ui->groupBox_3, false);
}

void WiFiManager::showPanel(QWidget *backdrop, QWidget *group, bool visible)
{
    backdrop->setVisible(visible);
    group->setVisible(visible);
    if (visible) {
        backdrop->raise();
        group->raise();
    }
}

void WiFiManager::showWaiting(bool visible)
{
    showPanel(ui->label_27, ui->groupBox_2, visible);
}

// ---- connecting ---------------------------------------------------------------------

void WiFiManager::on_pushButton_5_clicked()
{
    if (chainRunning || selectedEssid.isEmpty())
        return;
    chainRunning = true;
    showWaiting(true);
    showPanel(ui->label_26, ui->groupBox, false);

    // The stored network's field shows its key as asterisks: left as it is,
    // that key is the one meant.
    QString key = inserted_wifikey;
    if (key.isEmpty() && selectedIsStored && selectedType != 0)
        key = settings.getWifiKey();
    if (selectedType == 0)
        key.clear();

    if (selectedType == 2 && key.size() < kWpaMinChars) {
        DisplayError(tr("La password deve avere una lunghezza maggiore di 7 caratteri"), QString(), false);
        endChain();
        return;
    }
    if (selectedType == 1 && key.size() < kWepMinChars) {
        DisplayError(tr("La password deve avere una lunghezza maggiore di 12 caratteri"), QString(), false);
        endChain();
        return;
    }
    if (!settings.createWifiConfig(selectedEssid, key, selectedType)) {
        failConnect(tr("Il sistema non riesce a connettersi provare a riavviare la macchina e riprovare."));
        return;
    }
    connectFindInterface();
}

void WiFiManager::connectFindInterface()
{
    ToolRun::start(QStringLiteral("iwconfig"), {}, this, [this](const ToolRun::Result &r) {
        usbWifiDongleMounted = false;
        wifiConnect = false;
        for (const QString &line : QString::fromLocal8Bit(r.output).split(QLatin1Char('\n')))
            if (line.contains(QLatin1String("wlan0"))) {
                usbWifiDongleMounted = true;
                break;
            }
        if (!r.ok() || !usbWifiDongleMounted) {
            usbWifiDongleMounted = false;
            failConnect(tr("Verificare la presenza dell'adattatore WiFi"));
            return;
        }
        connectRestartInterface();
    });
}

void WiFiManager::connectRestartInterface()
{
    const QStringList wlan0{QStringLiteral("wlan0")};
    const QString failed = tr("Il sistema non riesce a connettersi provare a riavviare la macchina e riprovare.");
    // Their exit status is not judged (ifdown of an interface that is down
    // fails harmlessly); one that hangs or is missing ends the attempt.
    ToolRun::start(QStringLiteral("ifdown"), wlan0, this, [this, wlan0, failed](const ToolRun::Result &down) {
        if (!down.ok()) {
            failConnect(failed);
            return;
        }
        ToolRun::start(QStringLiteral("ifup"), wlan0, this, [this, wlan0, failed](const ToolRun::Result &up) {
            if (!up.ok()) {
                failConnect(failed);
                return;
            }
            ToolRun::start(QStringLiteral("iwconfig"), wlan0, this,
                           [this](const ToolRun::Result &check) { connectCheckAssociation(check); });
        });
    });
}

void WiFiManager::connectCheckAssociation(const ToolRun::Result &r)
{
    const QStringList lines =
        r.ok() ? QString::fromLocal8Bit(r.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
    if (lines.isEmpty()) {
        failConnect(tr("Il sistema non riesce a connettersi provare a riavviare la macchina e riprovare."));
        return;
    }
    for (const QString &line : lines) {
        if (lineJoins(line, selectedEssid)) {
            wifiConnect = true;
            OpenDialogMsg(nullptr,
                          tr("Connessione eseguita con successo, le impostazioni sono state salvate per eseguire la "
                             "connesione automatica."),
                          kSuccessShownMs, false, tr("OK"), QString());
            QString key = inserted_wifikey;
            if (key.isEmpty() && selectedIsStored && selectedType != 0)
                key = settings.getWifiKey();
            settings.setWifiEssid(selectedEssid);
            settings.setWifiKey(selectedType == 0 ? QString() : key);
            settings.setWifiAutentication(selectedType);
            if (!settings.save())
                platform::reportToOperator("Settings Saving Error.");
            endChain();
            return;
        }
        if (line.contains(QLatin1String("ESSID:off/any")))
            continue;
        break;
    }
    failConnect(tr("Connessione non riuscita verificare le password e riprovare."));
}

void WiFiManager::failConnect(const QString &message)
{
    DisplayError(message, QString(), false);
    restoreStored([this] { endChain(); });
}

void WiFiManager::restoreStored(std::function<void()> then)
{
    settings.restorePreviousConfiguration();
    // The key is not among the arguments: the client daemon reads it from
    // the configuration just written.
    ToolRun::start(QStringLiteral("iwconfig"), settings.wifiInterfaceArguments(), this,
                   [then](const ToolRun::Result &) { then(); });
}

void WiFiManager::endChain()
{
    chainRunning = false;
    showWaiting(false);
    on_settingvaluehide_clicked();
    emit chainEnded();
}

// ---- details and forgetting -----------------------------------------------------------

void WiFiManager::on_pushButton_8_clicked()
{
    findTimer->stop();
    if (!settings.isWifiSet()) {
        DisplayError(tr("Operazione non disponibile nessuna rete selezionata."), QString(), false);
        findTimer->start();
        return;
    }
    const QString essid = settings.getWifiEssid();
    const uint8_t type = settings.getWifiAutentication();
    const int listed = wifiESSID.indexOf(essid);
    QString text;
    text += tr("ESSID: ") + essid + QLatin1Char('\n');
    text += tr("AUTENTICATION TYPE: ") +
            (type == 2 ? QStringLiteral("WPA2") : type == 1 ? QStringLiteral("WEP") : tr("NESSUNA")) +
            QLatin1Char('\n');
    text += tr("CONNECTED: ") + (wifiConnect ? tr("YES") : tr("NO")) + QLatin1Char('\n');
    text += tr("SIGNAL LEVEL: ") + (listed < 0 ? QString() : qualityWord(signal_level.at(listed))) +
            QLatin1Char('\n');
    ui->label_5->setText(text);
    showPanel(ui->label_28, ui->groupBox_3, true);
    findTimer->start();
}

void WiFiManager::on_settingvaluehide_2_clicked()
{
    if (chainRunning)
        return;
    DialogMessage *question = OpenDialogMsg(this, tr("Vuoi cancellare la configurazione della rete attuale?"), 0,
                                            false, tr("NO"), tr("YES"));
    if (question)
        connect(question, &QDialog::finished, this, &WiFiManager::forgetAnswered);
}

void WiFiManager::forgetAnswered(int result)
{
    if (result != QDialog::Accepted || chainRunning)
        return;
    chainRunning = true;
    showWaiting(true);
    settings.setWifiEssid(QString());
    settings.setWifiAutentication(0);
    settings.setWifiKey(QString());
    // Saved at once: a restart must not bring the forgotten network back.
    if (!settings.save())
        platform::reportToOperator("Settings Saving Error.");
    restoreStored([this] {
        chainRunning = false;
        showWaiting(false);
        populateList();
        emit chainEnded();
    });
}

// ---- language and fonts ---------------------------------------------------------------

void WiFiManager::retranslate()
{
    ui->retranslateUi(this);
    ui->label->setText(tr("GESTIONE WIFI"));
    ui->label_4->setText(tr("ATTENDERE IL COMPLETAMENTO DELLA PROCEDURA DI CONNESSIONE"));
    if (!selectedEssid.isEmpty())
        ui->label_2->setText(selectedType == 0 ? tr("CONNESSIONE WIFI APERTA: ")
                                               : tr("INSERISCI LA PASSWORD\nDELLA CONNESSIONE WIFI: "));
}

void WiFiManager::changeFont()
{
    ui->label->setFont(transLanguage.fontAt(13, true));
    for (QLabel *row : {ui->step_1, ui->step_2, ui->step_3, ui->step_4})
        row->setFont(transLanguage.fontAt(13, true));
    for (QLabel *q : {ui->quality_1, ui->quality_2, ui->quality_3, ui->quality_4})
        q->setFont(transLanguage.fontAt(10, false));
    for (QPushButton *b : {ui->pushButton_4, ui->pushButton_8, ui->settingvaluehide_2, ui->settingvaluehide,
                           ui->pushButton_5, ui->pushButton_9})
        fitKeyText(b, transLanguage.fontAt(12, true), 12);
    for (QPushButton *b : {ui->pushButton_2, ui->pushButton_3})
        b->setFont(transLanguage.fontAt(16, false));
    ui->label_2->setFont(transLanguage.fontAt(13, true));
    ui->label_3->setFont(transLanguage.fontAt(13, false));
    ui->wifikey->setFont(transLanguage.fontAt(16, false));
    ui->label_4->setFont(transLanguage.fontAt(14, true));
    ui->label_5->setFont(transLanguage.fontAt(12, false));
    fitTextToLabel(ui->label_2, 13, 9);
    fitTextToLabel(ui->label_4, 14, 9);
}

void WiFiManager::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        changeFont();
        populateList();
    }
    QDialog::changeEvent(event);
}
