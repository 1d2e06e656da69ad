#include "cleaning/ReleaseBlade.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/ScreenHooks.h"
#include "app/Utils.h"
#include "data/Tables.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"

#include "ui_ReleaseBlade.h"

#include <QEvent>
#include <QMovie>
#include <QPixmap>
#include <QTimer>

#include <utility>

namespace {

// Function code of this procedure in the run context the error log records.
constexpr uint8_t kReleaseFunction = 5;
constexpr uint16_t kMountUnknown = 0xFF00;
constexpr uint16_t kMountedBadly = 15;
constexpr uint16_t kNotMounted = 0;

const char kLidPicture[] = ":/image/machine open.gif";
const char kLidText[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Close the machine before start working.");

// Pictures and instructions of the steps.
const char kHoldDirection[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Push direction and security button continuously.");
const char kHoldScreenAndButton[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Push screen and security button continuously.");
const char kHoldScreen[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Push screen continuously.");
const char kRemove[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Remove blade.");
const char kInsert[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Insert blade.");
const char kBadMount[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Blade Mounted Incorrectly.");
const char kNoBlade[] = QT_TRANSLATE_NOOP("ReleaseBlade", "Blade not Mounted.");

using Row = ReleaseBlade::Row;
constexpr Row kStart{":/image/sm_bl_6.png", kHoldScreen};
constexpr Row kStopRequested{":/image/sm_bl_1.png", kHoldDirection};
constexpr Row kFreeing{":/image/sm_bl_2.png", kHoldScreenAndButton};
constexpr Row kRemoving{":/image/sm_bl_3.png", kRemove};
constexpr Row kInserting{":/image/sm_bl_4.png", kInsert};
constexpr Row kLocking{":/image/sm_bl_5.png", kHoldScreenAndButton};
constexpr Row kMountedRow{":/image/sm_bl_6.png", kHoldScreen};
constexpr Row kBadMountRow{":/image/sm_bl_4.png", kBadMount};
constexpr Row kNoBladeRow{":/image/sm_bl_4.png", kNoBlade};
constexpr Row kReturning{":/image/sm_bl_7.png", kHoldScreenAndButton};

const char kEnabledFrame[] = "QPushButton { background-color:  rgba(50, 50, 50, 0); border: 2px solid %1; "
                             "border-radius: 10px; } QPushButton:pressed { background-color: rgba(50, 50, 50, 30); }";
const char kDisabledFrame[] = "QPushButton { background-color:  rgba(50, 50, 50, 80); border: 2px solid %1; "
                              "border-radius: 10px; }";

bool movesBlade(const std::vector<uint8_t> &frame)
{
    return frame.size() > 1
           && (frame[1] == BoardCmd::CutRelease || frame[1] == BoardCmd::ManualMoveA
               || frame[1] == BoardCmd::ManualMoveB);
}

// Cancels the release commands and manual moves not yet sent, so that the
// board stops moving. Other frames stay: they belong to other screens, or
// are awaited (the stop, the mount state) and must be answered. Call with
// serialFifoMutex held.
void dropQueuedMoves()
{
    std::queue<std::vector<uint8_t>> kept;
    for (; !serialFifo.empty(); serialFifo.pop()) {
        if (!movesBlade(serialFifo.front()))
            kept.push(std::move(serialFifo.front()));
    }
    serialFifo.swap(kept);
}

void dropMoves()
{
    FifoLock lock;
    dropQueuedMoves();
}

// machineOpen is the "lid down" bit: clear means the lid is open.
bool lidOpen()
{
    return !machineOpen;
}

} // namespace

ReleaseBlade::ReleaseBlade(QWidget *parent)
    : QWidget(parent), ui(new Ui::ReleaseBlade), workingTimer(new QTimer(this)), bladeFreePause(new QTimer(this))
{
    ui->setupUi(this);
    prepareOverlay(this);
    setAttribute(Qt::WA_DeleteOnClose);
    applyThemeColor(this);
    // The picture and the instruction lie on the screen key: touches go through.
    for (QWidget *w : {static_cast<QWidget *>(ui->picture), static_cast<QWidget *>(ui->label),
                       static_cast<QWidget *>(ui->info)})
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QAbstractButton *b : {ui->pushButton_3, ui->pushButton_4, ui->pushButton_5}) {
        b->setAutoRepeatDelay(kRepeatMs);
        b->setAutoRepeatInterval(kRepeatMs);
    }

    actualFunc = kReleaseFunction;
    actualDir = 0;
    actualCutSpeed = 0;
    actualImmSpeed = 0;
    actualPortion = 0;
    actualPortionWorked = 0;
    actualPression = 0;
    requestTreePosition = false;
    servicePanel = serviceEnable;
    ui->info->setVisible(servicePanel);
    if (servicePanel) {
        requestTreePosition = true;
        actualTreePosition = 0;
        // The telemetry line takes the bottom of the screen key.
        const QRect text = ui->label->geometry();
        ui->label->setGeometry(text.x(), text.y(), text.width(), ui->info->y() - text.y());
    }

    showStopButton(false);
    showDirectionButtons(false);
    enableButton(true);
    showRow(kStart);
    updateServiceInfo();

    bladeFreePause->setSingleShot(true);
    bladeFreePause->setInterval(kBladeFreePauseMs);
    connect(bladeFreePause, &QTimer::timeout, this, &ReleaseBlade::bladeFreePauseEnd);
    workingTimer->setInterval(kCheckMs);
    connect(workingTimer, &QTimer::timeout, this, &ReleaseBlade::workingStateCheck);
    workingTimer->start();
}

ReleaseBlade::~ReleaseBlade()
{
    // The page is deleted with this screen, after this body: it must not
    // call back into a screen that is going.
    if (sensorPage)
        disconnect(sensorPage, nullptr, this, nullptr);
    if (servicePanel)
        requestTreePosition = false;
    delete ui;
}

// ---- the 100 ms supervision ---------------------------------------------------------------

void ReleaseBlade::workingStateCheck()
{
    if (lidOpen()) {
        showLidOpen();
        return;
    }
    if (lidShown) {
        lidShown = false;
        applyRow();
    }
    if (stepRelease == 0 || bladeFreePause->isActive()) {
        updateServiceInfo();
        return;
    }
    if (waitCicle > 0) {
        --waitCicle;
        updateServiceInfo();
        return;
    }
    if (stopEnabled)
        stopPhaseCheck();
    else if (mountRequested)
        mountStateCheck();
    else if (cutReleaseCmdSend > 0)
        stepCheck();
    updateServiceInfo();
}

void ReleaseBlade::stopPhaseCheck()
{
    if (stopClicked) {
        if (stopReleaseCmdSend <= 0)
            return;
        // The board took the stop: the manual moves replace the stop key. Going
        // back to take the blade off only makes sense for a blade that sits wrong.
        showStopButton(false);
        ui->pushButton_4->setEnabled(true);
        ui->pushButton_4->show();
        const uint16_t mount = bladeMountState;
        const bool wrong = mount != kMounted && mount != kMountUnknown;
        ui->pushButton_5->setEnabled(wrong);
        ui->pushButton_5->setVisible(wrong);
        direction = 0;
        stopClicked = false;
        return;
    }
    const bool a = cutRelease_flag_a;
    const bool b = cutRelease_flag_b;
    if (direction == 1) {
        if (!a && !b) {
            dropMoves();
            finish();
        } else if (stepRelease > 3 && a && b) {
            dropMoves();
            stepRelease = 5;
        }
    } else if (direction == -1 && a && b) {
        dropMoves();
        showDirectionButtons(false);
        stopEnabled = false;
        checkState = true;
        stepRelease = 2;
        enableButton(true);
        showRow(kRemoving);
    }
}

void ReleaseBlade::stepCheck()
{
    const bool a = cutRelease_flag_a;
    const bool b = cutRelease_flag_b;
    switch (stepRelease) {
    case 1:
        if (a && !b) {
            enableButton(true);
            showStopButton(false);
            showRow(kFreeing);
        }
        break;
    case 2:
        if (a && b && checkState) {
            // The blade is free: the operator reads "Remove blade." for a
            // moment before the key moves on through the pictures.
            dropMoves();
            showStopButton(false);
            showRow(kRemoving);
            bladeFreePause->start();
        } else if (a && !b) {
            stepRelease = 3;
            showRow(kLocking);
        }
        break;
    case 10:
    case 11:
        showRow(kRemoving);
        break;
    case 12:
        showRow(kInserting);
        break;
    case 13:
        showRow(kLocking);
        break;
    case 3:
        if (!a && b) {
            // Locked: ask how the blade sits; the answer is looked for at the next ticks.
            {
                FifoLock lock;
                dropQueuedMoves();
                serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::BladeMountState));
                waitStateVar(BoardCmd::BladeMountState);
            }
            mountRequested = true;
        }
        break;
    case 4:
        if (a && b) {
            dropMoves();
            stepRelease = 5;
            enableButton(true);
            showStopButton(false);
            showRow(kReturning);
        }
        break;
    case 5:
        if (!a && !b) {
            enableButton(false);
            dropMoves();
            finish();
        }
        break;
    default:
        break;
    }
}

void ReleaseBlade::mountStateCheck()
{
    // The link answers the request, or gives it up, in well under a second.
    if (getBladeMountState == 0)
        return;
    mountRequested = false;
    const uint16_t mount = bladeMountState;
    platform::debugLine("RELEASE BLADE : stato montaggio lama " + std::to_string(mount));
    stepRelease = 4;
    if (mount == kMounted) {
        showRow(kMountedRow);
        return;
    }
    if (mount == kMountedBadly)
        showRow(kBadMountRow);
    else if (mount == kNotMounted)
        showRow(kNoBladeRow);
    else // no answer: only the manual moves are left, say so
        showRow(kStopRequested);
    // As if a stop had been taken: the stop phase opens the manual moves.
    stopEnabled = true;
    stopClicked = true;
    FifoLock lock;
    stopReleaseCmdSend = 1;
}

void ReleaseBlade::bladeFreePauseEnd()
{
    enableButton(true);
    checkState = false;
    stepRelease = 10;
}

void ReleaseBlade::finish()
{
    workingTimer->stop();
    bladeFreePause->stop();
    close();
}

// ---- operator ----------------------------------------------------------------------------------

void ReleaseBlade::queueRelease()
{
    FifoLock lock;
    serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::CutRelease));
    waitStateVar(BoardCmd::CutRelease);
}

void ReleaseBlade::on_pushButton_3_clicked()
{
    // The pause and the mount-state wait hold the procedure where it is.
    if (stopEnabled || bladeFreePause->isActive() || mountRequested)
        return;
    // The security button shows in the glass bit.
    if (!glassPresence) {
        switch (stepRelease) {
        case 0:
            queueRelease();
            enableButton(false);
            waitCicle = kStartWaitTicks;
            stepRelease = 1;
            break;
        case 2:
            queueRelease();
            stepRelease = 3;
            break;
        case 4:
            if (ui->pushButton_2->isHidden())
                showStopButton(true);
            queueRelease();
            break;
        case 10:
            // The picture steps go one touch at a time.
            ui->pushButton_3->setAutoRepeat(false);
            stepRelease = 11;
            break;
        case 11:
            stepRelease = 12;
            break;
        case 12:
            stepRelease = 13;
            ui->pushButton_3->setAutoRepeat(true);
            break;
        case 13:
            stepRelease = 2;
            break;
        default:
            break;
        }
        return;
    }
    switch (stepRelease) {
    case 1: {
        bool free = false;
        {
            FifoLock lock;
            free = cutRelease_flag_a && cutRelease_flag_b;
            if (!free && cutRelease_flag_a) {
                serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::CutRelease));
                waitStateVar(BoardCmd::CutRelease);
            }
        }
        if (free) {
            stepRelease = 2;
            enableButton(false);
        }
        checkState = true;
        break;
    }
    case 3:
    case 5:
        queueRelease();
        break;
    case 13:
        stepRelease = 2;
        break;
    default:
        break;
    }
}

void ReleaseBlade::on_pushButton_2_clicked()
{
    {
        FifoLock lock;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::StopRelease));
        waitStateVar(BoardCmd::StopRelease);
    }
    stopEnabled = true;
    stopClicked = true;
    showRow(kStopRequested);
}

void ReleaseBlade::queueMove(int8_t newDirection, uint8_t command)
{
    if (!stopEnabled)
        return;
    if (lidOpen()) {
        dropMoves();
        showLidOpen();
        return;
    }
    FifoLock lock;
    if (direction != newDirection) {
        dropQueuedMoves();
        direction = newDirection;
    }
    serialFifo.push(ProtocolConversion::BuildCommand(command));
}

void ReleaseBlade::on_pushButton_4_clicked()
{
    queueMove(1, BoardCmd::ManualMoveA);
}

void ReleaseBlade::on_pushButton_5_clicked()
{
    queueMove(-1, BoardCmd::ManualMoveB);
}

void ReleaseBlade::on_pushButton_6_clicked()
{
    finish();
}

void ReleaseBlade::on_icon_button_clicked()
{
    if (!serviceEnable || sensorFormOpen)
        return;
    QWidget *page = ScreenHooks::openSensorPage ? ScreenHooks::openSensorPage(this) : nullptr;
    if (!page) {
        platform::debugLine("RELEASE BLADE : pagina dei sensori non disponibile");
        return;
    }
    platform::debugLine("RELEASE BLADE : apertura pagina dei sensori");
    sensorFormOpen = true;
    sensorPage = page;
    connect(page, &QObject::destroyed, this, &ReleaseBlade::sensorStateClose);
}

void ReleaseBlade::sensorStateClose()
{
    sensorFormOpen = false;
}

// ---- display ----------------------------------------------------------------------------------

void ReleaseBlade::enableButton(bool enable)
{
    ui->pushButton_3->setEnabled(enable);
    ui->pushButton_2->setEnabled(enable);
    const QString frame = QString::fromLatin1(enable ? kEnabledFrame : kDisabledFrame).arg(customColor);
    if (ui->pushButton_3->styleSheet() != frame)
        ui->pushButton_3->setStyleSheet(frame);
}

void ReleaseBlade::showStopButton(bool show)
{
    ui->pushButton_2->setEnabled(show);
    ui->pushButton_2->setVisible(show);
}

void ReleaseBlade::showDirectionButtons(bool show)
{
    for (QWidget *b : {ui->pushButton_4, ui->pushButton_5}) {
        b->setEnabled(show);
        b->setVisible(show);
    }
}

void ReleaseBlade::showRow(const Row &newRow)
{
    row = newRow;
    if (!lidShown)
        applyRow();
}

void ReleaseBlade::applyRow()
{
    if (!row.picture)
        return;
    const QString name = QString::fromLatin1(row.picture);
    if (picture != name) {
        if (lidMovie)
            lidMovie->stop();
        ui->picture->setPixmap(QPixmap(name));
        picture = name;
    }
    const QString text = tr(row.text);
    if (ui->label->text() != text) {
        ui->label->setText(text);
        fitTextToLabel(ui->label, 15, 9);
    }
}

void ReleaseBlade::showLidOpen()
{
    if (lidShown)
        return;
    lidShown = true;
    if (!lidMovie) {
        lidMovie = new QMovie(QString::fromLatin1(kLidPicture), QByteArray(), this);
        lidMovie->setScaledSize(QSize(160, 160));
    }
    ui->picture->setMovie(lidMovie);
    lidMovie->start();
    picture = QString::fromLatin1(kLidPicture);
    ui->label->setText(tr(kLidText));
    fitTextToLabel(ui->label, 15, 9);
}

QString ReleaseBlade::shownText() const
{
    return ui->label->text();
}

void ReleaseBlade::updateServiceInfo()
{
    if (!servicePanel)
        return;
    const QString gap = QStringLiteral("&nbsp;&nbsp;&nbsp;");
    const QString text = QStringLiteral("<html><body><p>") +
                         doubleToString(absorptionConversionTable[actualAbsorption & 0x7F]) + QStringLiteral(" A") +
                         gap + convertTemperature(actualTemperature) + gap +
                         QString::number(actualTreePosition.load()) + QStringLiteral(" mm</p></body></html>");
    if (ui->info->text() != text)
        ui->info->setText(text);
}

void ReleaseBlade::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        const char *text = lidShown ? kLidText : row.text;
        if (text) {
            ui->label->setText(tr(text));
            fitTextToLabel(ui->label, 15, 9);
        }
    }
    QWidget::changeEvent(event);
}
