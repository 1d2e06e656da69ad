#include "shell/SettingsForm.h"
#include "ui_SettingsForm.h"

#include "app/DialogMessage.h"
#include "app/Utils.h"
#include "data/Presets.h"
#include "errors/ErrorState.h"
#include "data/UserSettings.h"
#include "data/DataState.h"
#include "app/AppState.h"
#include "app/Overlay.h"
#include "platform/log.h"
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

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOption>

namespace {

constexpr int kIconSize = 48;
constexpr int kPad = 10;

// Tile places on a page: two columns, two rows, 8 px gutters under the title bar.
QRect tileGeometry(int slot)
{
    return QRect(8 + (slot % 2) * 236, 48 + (slot / 2) * 80, 228, 72);
}

} // namespace

// ---- tile ----------------------------------------------------------------------

SettingsTile::SettingsTile(QWidget *parent) : QAbstractButton(parent)
{
    setStyleSheet("SettingsTile { background-color: rgba(126, 191, 255, 255); border-radius: 8px; color: #ffffff; }"
                  " SettingsTile:pressed { background-color: rgb(88, 186, 72); }");
    setIconSize(QSize(kIconSize, kIconSize));
}

QRect SettingsTile::textRect() const
{
    return rect().adjusted(kPad + kIconSize + kPad, 4, -kPad, -4);
}

int SettingsTile::fittingPointSize(int maxPt, int minPt) const
{
    QFont f = font();
    const QRect area = textRect();
    for (int pt = maxPt; pt > minPt; --pt) {
        f.setPointSize(pt);
        const QFontMetrics m(f);
        bool wordsFit = true;
        for (const QString &word : text().split(' ', Qt::SkipEmptyParts))
            wordsFit = wordsFit && m.horizontalAdvance(word) <= area.width();
        const QRect needed = m.boundingRect(area, Qt::TextWordWrap | Qt::AlignVCenter, text());
        if (wordsFit && needed.height() <= area.height())
            return pt;
    }
    return minPt;
}

void SettingsTile::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOption opt;
    opt.initFrom(this);
    if (isDown())
        opt.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
    const QRect iconArea(kPad, (height() - kIconSize) / 2, kIconSize, kIconSize);
    icon().paint(&p, iconArea);
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(textRect(), Qt::TextWordWrap | Qt::AlignVCenter | Qt::AlignLeft, text());
}

// ---- menu ----------------------------------------------------------------------

SettingsForm::SettingsForm(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::SettingsForm)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    addTiles();
    // A touch screen: no key keeps a focus frame after it was touched.
    for (QAbstractButton *key : findChildren<QAbstractButton *>())
        key->setFocusPolicy(Qt::NoFocus);
    retranslateTiles();
    applyThemeColor(this);
    applyFonts();
    showPage(0);
}

SettingsForm::~SettingsForm()
{
    if (resetDialog)
        resetDialog->disconnect(this);
    delete ui;
}

// Pages that the menu owns: full-screen windows over it, deleted when they
// close (and with the menu, should it go first).
template <typename Page, typename... Args> static QWidget *showOwned(QWidget *menu, Args... args)
{
    auto *page = new Page(menu, args...);
    page->setAttribute(Qt::WA_DeleteOnClose);
    page->show();
    return page;
}

// The same for the dialogs among them, which take the touches while open.
template <typename Page, typename... Args> static QWidget *openOwned(QWidget *menu, Args... args)
{
    auto *page = new Page(menu, args...);
    page->setAttribute(Qt::WA_DeleteOnClose);
    page->open();
    return page;
}

void SettingsForm::addTiles()
{
    const bool advanced = advancedUserEnabled || serviceEnable;
    const auto allowed = [&](Access a) {
        return a == Access::Everyone || (a == Access::Advanced && advanced) || (a == Access::Service && serviceEnable);
    };
    const auto add = [&](const char *name, const char *text, const char *icon, Access access,
                         std::function<QWidget *()> open) {
        if (allowed(access))
            tiles.push_back(Tile{name, text, QString(":/icon/") + icon, access, std::move(open), nullptr});
    };
    add("language", QT_TR_NOOP("LANGUAGE"), "language.png", Access::Everyone,
        [this] { return openOwned<LanguageList>(this, false); });
    add("supply", QT_TR_NOOP("MAIN LINE"), "mains.png", Access::Everyone, [this] { return openOwned<mainline>(this); });
    add("date", QT_TR_NOOP("DATE AND TIME"), "date.png", Access::Everyone,
        [this] { return openOwned<SettingDate>(this, false); });
    add("energy", QT_TR_NOOP("ENERGY"), "energy.png", Access::Everyone,
        [this] { return openOwned<EnergySettings>(this); });
    add("wifi", QT_TR_NOOP("WI-FI"), "wifi.png", Access::Everyone, [this] { return openOwned<WiFiManager>(this); });
    add("machineInfo", QT_TR_NOOP("MACHINE INFORMATION"), "machine_info.png", Access::Everyone,
        [this] { return showOwned<MachineInfo>(this); });
    add("errorState", QT_TR_NOOP("ERROR STATISTICS"), "error_state.png", Access::Everyone,
        [this] { return showOwned<ErrorState>(this); });
    add("systemInfo", QT_TR_NOOP("SYSTEM INFORMATION"), "system_info.png", Access::Everyone,
        [this] { return showOwned<SystemInfo>(this); });
    add("firmware", QT_TR_NOOP("FIRMWARE"), "firmware.png", Access::Advanced,
        [this] { return showOwned<SettingsForm_P2>(this); });
    add("factoryReset", QT_TR_NOOP("FACTORY SETTINGS"), "factory_reset.png", Access::Advanced, [this] {
        askFactoryReset();
        return nullptr;
    });
    add("serviceCounters", QT_TR_NOOP("SERVICE COUNTERS"), "counters.png", Access::Advanced,
        [this] { return showOwned<ServiceCounters>(this); });
    add("service", QT_TR_NOOP("SERVICE"), "service.png", Access::Service,
        [this] { return showOwned<ServicePage>(this); });

    for (Tile &tile : tiles) {
        auto *button = new SettingsTile(this);
        button->setObjectName(tile.name);
        button->setIcon(QIcon(tile.icon));
        button->setGeometry(tileGeometry(0));
        button->hide();
        const QString name = tile.name;
        connect(button, &QAbstractButton::clicked, this, [this, name] {
            for (Tile &t : tiles)
                if (t.name == name)
                    openTile(t);
        });
        tile.button = button;
    }
}

QStringList SettingsForm::tileNames() const
{
    QStringList names;
    for (const Tile &t : tiles)
        names << t.name;
    return names;
}

int SettingsForm::pageCount() const
{
    return std::max(1, int((tiles.size() + kTilesPerPage - 1) / kTilesPerPage));
}

void SettingsForm::showPage(int index)
{
    page = std::clamp(index, 0, pageCount() - 1);
    for (int i = 0; i < int(tiles.size()); ++i) {
        QAbstractButton *b = tiles[i].button;
        const bool onPage = i / kTilesPerPage == page;
        if (onPage)
            b->setGeometry(tileGeometry(i % kTilesPerPage));
        b->setVisible(onPage);
    }
    ui->previous->setVisible(page > 0);
    ui->next->setVisible(page < pageCount() - 1);
    ui->page_number->setText(QString("%1 / %2").arg(page + 1).arg(pageCount()));
    ui->page_number->setVisible(pageCount() > 1);
}

void SettingsForm::on_previous_clicked()
{
    showPage(page - 1);
}

void SettingsForm::on_next_clicked()
{
    showPage(page + 1);
}

void SettingsForm::openTile(Tile &tile)
{
    // One page at a time: a second tap while it opens does not stack a twin.
    if (pages.value(tile.name) || resetDialog)
        return;
    platform::debugLine("SETTING FORM -> apertura " + tile.name.toStdString());
    if (QWidget *opened = tile.open())
        pages.insert(tile.name, opened);
}

QWidget *SettingsForm::openPage(const QString &tile) const
{
    return pages.value(tile);
}

LanguageList *SettingsForm::languagePage() const
{
    return qobject_cast<LanguageList *>(openPage("language"));
}

mainline *SettingsForm::supplyPage() const
{
    return qobject_cast<mainline *>(openPage("supply"));
}

SettingsForm_P2 *SettingsForm::firmwarePage() const
{
    return qobject_cast<SettingsForm_P2 *>(openPage("firmware"));
}

void SettingsForm::askFactoryReset()
{
    resetDialog = OpenDialogMsg(this, tr("Restore the default settings?"), 0, false, QString(), QString());
    if (resetDialog)
        connect(resetDialog, &QDialog::finished, this, &SettingsForm::factoryResetAnswered);
}

void SettingsForm::factoryResetAnswered(int result)
{
    resetDialog = nullptr;
    if (result != QDialog::Accepted)
        return;
    factoryReset([] {
        transLanguage.LoadAllFontDataBase();
        transLanguage.LoadInfoLang();
        transLanguage.applyLanguage(settings.getLanguage());
    });
    // The pages show values that are no longer there.
    close();
}

void SettingsForm::applyFonts()
{
    QFont title(transLanguage.currentFont());
    title.setPointSize(13);
    title.setBold(true);
    ui->page_title->setFont(title);
    QFont body(transLanguage.currentFont());
    body.setPointSize(13);
    for (QWidget *w : {static_cast<QWidget *>(ui->back), static_cast<QWidget *>(ui->page_number)})
        w->setFont(body);
    QFont arrows(transLanguage.currentFont());
    arrows.setPointSize(20);
    ui->previous->setFont(arrows);
    ui->next->setFont(arrows);
    // Every tile in one size, the largest at which the longest name fits.
    int pt = 13;
    for (const Tile &t : tiles) {
        t.button->setFont(body);
        pt = std::min(pt, static_cast<SettingsTile *>(t.button)->fittingPointSize(13, 9));
    }
    body.setPointSize(pt);
    for (const Tile &t : tiles)
        t.button->setFont(body);
}

void SettingsForm::retranslateTiles()
{
    for (const Tile &t : tiles)
        t.button->setText(tr(t.text));
}

void SettingsForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateTiles();
        applyFonts();
        showPage(page);
    }
    QWidget::changeEvent(event);
}

void SettingsForm::on_back_clicked()
{
    close();
}
