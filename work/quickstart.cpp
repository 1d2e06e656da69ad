#include "work/quickstart.h"
#include "ui_quickstart.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/WorkSettings.h"
#include "work/ScreenLook.h"
#include "work/speedadvancedsettings.h"

#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

namespace {
// The board takes the portion count as one 7-bit byte.
constexpr int kMostPortions = 127;
} // namespace

quickstart::quickstart(QWidget *parent, unsigned char glassDimension)
    : WorkStartScreen(parent, 1, glassDimension), ui(new Ui::quickstart)
{
    ui->setupUi(this);
    applyThemeColor(this);
    for (QAbstractButton *k : {ui->portion_plus, ui->portion_minus, ui->repetition_plus, ui->repetition_minus}) {
        k->setAutoRepeatDelay(400);
        k->setAutoRepeatInterval(150);
    }
    ui->portion_plus->setAutoRepeat(true);
    ui->portion_minus->setAutoRepeat(true);
    retranslate();
    setPortionCount(actual ? actual->getPortion() : 0);
    updateDisplay();
}

quickstart::~quickstart()
{
    removeRollingObject(ui->page_title);
    if (advanced) {
        advanced->disconnect(this);
        delete advanced;
    }
    delete ui;
}

int quickstart::maxPortionsFor(const WorkSettings &program, int glassDimension)
{
    const int dimension = program.getPortionDimension();
    if (dimension == 0)
        return 0;
    int most = glassDimension / dimension;
    if (actualSelectedGlass && actualSelectedGlass->isLoad())
        most = int(actualSelectedGlass->getResidualContent() * porH) / dimension;
    return std::clamp(most, 0, kMostPortions);
}

int quickstart::maxPortions() const
{
    return actual ? maxPortionsFor(*actual, glassDimension) : 0;
}

bool quickstart::portionKeysRepeat() const
{
    return ui->portion_plus->autoRepeat() && ui->portion_minus->autoRepeat();
}

void quickstart::setPortionCount(int n)
{
    portion = std::clamp(n, 0, maxPortions());
    // Always stored, also 0: a count left in the program from before must
    // not start portions the beaker no longer holds.
    if (actual)
        actual->setPortion(uint8_t(portion));
}

void quickstart::portionPressed()
{
    // A held key repeats until it has gone through every portion the
    // beaker gives; a key pressed again after a pause repeats anew.
    const bool repeated = lastPressedPortionButton.isValid() && lastPressedPortionButton.elapsed() <= kRepeatGapMs;
    lastPressedPortionButton.restart();
    bool repeat = portionKeysRepeat();
    if (!repeated) {
        repeat = true;
        numberOfPressedPortionButton = 0;
    } else if (++numberOfPressedPortionButton >= maxPortions()) {
        repeat = false;
        numberOfPressedPortionButton = 0;
    }
    ui->portion_plus->setAutoRepeat(repeat);
    ui->portion_minus->setAutoRepeat(repeat);
}

void quickstart::on_portion_plus_clicked()
{
    portionPressed();
    setPortionCount(portion + 1);
    updateDisplay();
}

void quickstart::on_portion_minus_clicked()
{
    portionPressed();
    setPortionCount(portion - 1);
    updateDisplay();
}

void quickstart::on_repetition_plus_clicked()
{
    changeRepetitions(*actual, +1);
    updateDisplay();
}

void quickstart::on_repetition_minus_clicked()
{
    changeRepetitions(*actual, -1);
    updateDisplay();
}

void quickstart::setAir(int option)
{
    applyAir(*actual, option);
    updateDisplay();
}

void quickstart::on_air_press_clicked()
{
    setAir(AirPress);
}

void quickstart::on_air_flow_clicked()
{
    setAir(AirFlow);
}

void quickstart::on_air_no_clicked()
{
    setAir(AirNone);
}

void quickstart::on_adv_settings_clicked()
{
    if (advanced)
        return;
    advanced = new speedadvancedsettings(nullptr, glassDimension, filterNotifciation, getBaseSpeed());
    advanced->setAttribute(Qt::WA_DeleteOnClose);
    // The page may have changed the count with the portion size.
    connect(advanced, &QObject::destroyed, this, [this] {
        setPortionCount(actual ? actual->getPortion() : portion);
        updateDisplay();
    });
    advanced->show();
}

void quickstart::on_return_home_clicked()
{
    close();
}

void quickstart::updateDisplay()
{
    if (!actual)
        return;
    // The advanced page may have changed the portion size, and a run reloads
    // the program from its file: the count is held to what fits again.
    setPortionCount(portion);
    const int most = maxPortions();
    ui->portion_value->setText(QString::number(portion));
    ui->level->setLevels(portion, most);
    ui->repetition_value->setText(QString::number(actual->getTotalEmulsionCicle()));
    const int air = airOption(*actual);
    QPushButton *airKeys[] = {ui->air_press, ui->air_flow, ui->air_no};
    for (int i = 0; i < 3; ++i)
        look::setStyle(airKeys[i], i == air ? look::kChosenKey : look::kChoiceKey);
    ui->time_value->setText(look::minutesSeconds(actual->calculateTotalWorkingTime(portion)));
    ui->weight_value->setText(QString::number(actual->getPortionDimension() * 10) + "g");
    look::setStyle(ui->start_work, portion >= 1 ? look::kStartReady : look::kStartIdle);
}

void quickstart::retranslate()
{
    removeRollingObject(ui->page_title);
    QString title;
    switch (presetPage(*actual)) {
    case 1:
        title = tr("FROSTIZING") + " - " + tr("SOFT");
        break;
    case 2:
        title = tr("FROSTIZING") + " - " + tr("MEDIUM");
        break;
    case 3:
        title = tr("FROSTIZING") + " - " + tr("HARD");
        break;
    default:
        title = actual ? actual->getRecipeName() : QString();
        if (title.isEmpty())
            title = tr("FROSTIZING");
        break;
    }
    ui->page_title->setText(title);
    look::setFontSize(ui->page_title, 13, true);
    // A name too long for the bar rolls, read from its start.
    const bool rolls = QFontMetrics(ui->page_title->font()).horizontalAdvance(title) > ui->page_title->width() - 24;
    ui->page_title->setAlignment(rolls ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    ui->page_title->setIndent(rolls ? 12 : -1);
    if (rolls)
        addRollingObject(ui->page_title, title.size() - 1);

    for (QLabel *l : {ui->portion_caption, ui->repetition_caption, ui->air_caption})
        look::setFontSize(l, 11, true);
    for (QLabel *l : {ui->time_caption, ui->weight_caption})
        look::setFontSize(l, 12);
    for (QLabel *l : {ui->time_value, ui->weight_value})
        look::setFontSize(l, 14, true);
    for (QLabel *l : {ui->portion_value, ui->repetition_value})
        look::setFontSize(l, 26, true);
    for (QPushButton *k : {ui->portion_plus, ui->portion_minus, ui->repetition_plus, ui->repetition_minus})
        look::setFontSize(k, 24, true);
    for (QPushButton *k : {ui->air_press, ui->air_flow, ui->air_no, ui->return_home, ui->adv_settings, ui->start_work})
        look::setFontSize(k, 13, k != ui->air_press && k != ui->air_flow && k != ui->air_no);
    look::fitKeysText({ui->air_press, ui->air_flow, ui->air_no}, 12);
    look::fitKeysText({ui->return_home, ui->adv_settings}, 13);
    look::fitKeyText(ui->start_work, 15);
}

void quickstart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
        updateDisplay();
    }
    QWidget::changeEvent(event);
}
