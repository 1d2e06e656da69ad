#include "errors/SensorState.h"
#include "ui_SensorState.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "errors/PageLook.h"
#include "data/SystemCommand.h"
#include "link/SensorBits.h"
#include "link/SharedState.h"
#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QDateTime>
#include <QEvent>
#include <QStyle>
#include <QTimer>

namespace {

static_assert(SensorState::kSensors == SensorBits::Count, "one label pair per sensor of the table");

// Sensor pages open at once (the service page's and a run monitor's): the
// link polls the sensors while any of them is open.
int openPages = 0;

} // namespace

SensorState::SensorState(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::SensorState), timer(new QTimer(this)),
      screenSaverWasEnabled(enableScreenSaver)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    setAttribute(Qt::WA_StyledBackground);
    for (int i = 0; i < kSensors; ++i) {
        names[i] = findChild<QLabel *>(QStringLiteral("name_%1").arg(i));
        states[i] = findChild<QLabel *>(QStringLiteral("state_%1").arg(i));
    }
    applyFonts();
    applyThemeColor(this);

    ++openPages;
    requestSensorState = true;
    enableScreenSaver = false;
    platform::debugLine("SENSOR STATE -> apertura pagina sensori, richiesta stato sensori attiva");
    showWord(actualSensorState);
    connect(timer, &QTimer::timeout, this, &SensorState::checkErrorOccured);
    timer->start(kRefreshMs);
}

SensorState::~SensorState()
{
    if (--openPages == 0)
        requestSensorState = false;
    // Only held off while the page was up: a run monitor underneath keeps it off.
    if (screenSaverWasEnabled)
        enableScreenSaver = true;
    delete ui;
}

QString SensorState::stateText(int index) const
{
    return index >= 0 && index < kSensors ? states[index]->text() : QString();
}

QString SensorState::nameText(int index) const
{
    return index >= 0 && index < kSensors ? names[index]->text() : QString();
}

void SensorState::applyFonts()
{
    pagelook::fitLabelsAlike(names, 12, 8, false);
    // Both state texts, whichever is shown now, inside the chip's border.
    QLabel probe;
    probe.setFixedSize(states[0]->size() - QSize(12, 4));
    QLabel probe2;
    probe2.setFixedSize(probe.size());
    probe.setText(tr("CLOSED"));
    probe2.setText(tr("OPEN"));
    pagelook::fitLabelsAlike(std::initializer_list<QLabel *>{&probe, &probe2}, 12, 8, true);
    for (QLabel *state : states)
        state->setFont(probe.font());
}

void SensorState::checkErrorOccured()
{
    const uint16_t word = actualSensorState;
    if (int(word) != shownWord)
        showWord(word);
}

void SensorState::showWord(uint16_t word)
{
    shownWord = word;
    for (int i = 0; i < kSensors; ++i) {
        const bool made = SensorBits::closed(word, SensorBits::Sensor(i));
        states[i]->setText(made ? tr("CLOSED") : tr("OPEN"));
        if (states[i]->property("made").toBool() != made) {
            states[i]->setProperty("made", made);
            states[i]->style()->unpolish(states[i]);
            states[i]->style()->polish(states[i]);
        }
    }
}

std::string SensorState::exportPath(int64_t nowSeconds)
{
    const QString day = QDateTime::fromSecsSinceEpoch(nowSeconds).toString(QStringLiteral("yyyy-MM-dd"));
    return platform::path("/mnt/usb-memory/sensor_state_") + day.toStdString() + ".csv";
}

QByteArray SensorState::exportContent(uint16_t word)
{
    QByteArray out = "SENSOR STATE\nName;State\n";
    for (int i = 0; i < kSensors; ++i) {
        const SensorBits::Sensor s = SensorBits::Sensor(i);
        out += QByteArray(SensorBits::table[i].name) + ';' +
               (SensorBits::closed(word, s) ? SensorBits::ClosedText : SensorBits::OpenText) + '\n';
    }
    return out;
}

void SensorState::on_info_save_clicked()
{
    if (!usbMount) {
        DisplayError(tr("Restart Machine With Usb Device Mounted."), QString(), false);
        return;
    }
    const std::string file = exportPath(platform::nowSeconds());
    const QByteArray content = exportContent(uint16_t(shownWord < 0 ? actualSensorState.load() : shownWord));
    std::string error;
    // Whole or not at all: the stick may be pulled at any moment.
    if (!platform::writeFileAtomic(file, content.constData(), std::size_t(content.size()), &error)) {
        platform::debugLine("SENSOR STATE -> salvataggio non riuscito " + file + " (" + error + ")");
        DisplayError(tr("File not saved on Usb Device."), QString(), false);
        return;
    }
    syscmd::runSync();
    platform::debugLine("SENSOR STATE -> stato sensori salvato in " + file);
    DisplayError(tr("File Saved on Usb Device."), QString(), false);
}

void SensorState::on_back_clicked()
{
    close();
}

void SensorState::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && states[0]) {
        ui->retranslateUi(this);
        applyFonts();
        showWord(uint16_t(shownWord < 0 ? 0 : shownWord));
    }
    QWidget::changeEvent(event);
}
