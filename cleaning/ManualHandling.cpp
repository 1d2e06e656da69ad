#include "cleaning/ManualHandling.h"

#include "app/Utils.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"

#include "ui_ManualHandling.h"

#include <QEvent>

#include <utility>

namespace {

bool isManualMove(const std::vector<uint8_t> &frame)
{
    return frame.size() > 1 && (frame[1] == BoardCmd::ManualMoveA || frame[1] == BoardCmd::ManualMoveB);
}

// Drops the manual moves still queued. Other frames stay: they belong to
// other screens (the mains frequency sent at start-up, a version request)
// whose answers someone may be waiting for.
void dropQueuedMoves()
{
    std::queue<std::vector<uint8_t>> kept;
    while (!serialFifo.empty()) {
        std::vector<uint8_t> frame = std::move(serialFifo.front());
        serialFifo.pop();
        if (!isManualMove(frame))
            kept.push(std::move(frame));
    }
    serialFifo.swap(kept);
}

} // namespace

ManualHandling::ManualHandling(QWidget *parent) : QWidget(parent), ui(new Ui::ManualHandling)
{
    ui->setupUi(this);
    if (isWindow())
        setWindowFlag(Qt::FramelessWindowHint);
    for (QAbstractButton *b : {ui->pushButton_4, ui->pushButton_5}) {
        b->setAutoRepeatDelay(kRepeatMs);
        b->setAutoRepeatInterval(kRepeatMs);
    }
    changeColor(ui->title);
    changeColor(ui->label);
    changeColor(ui->pushButton_4);
    changeColor(ui->pushButton_5);
}

ManualHandling::~ManualHandling()
{
    delete ui;
}

void ManualHandling::queueMove(int8_t newDirection, uint8_t command)
{
    FifoLock lock;
    if (direction != newDirection) {
        dropQueuedMoves();
        direction = newDirection;
    }
    serialFifo.push(ProtocolConversion::BuildCommand(command));
}

void ManualHandling::on_pushButton_4_clicked()
{
    queueMove(1, BoardCmd::ManualMoveA);
}

void ManualHandling::on_pushButton_5_clicked()
{
    queueMove(-1, BoardCmd::ManualMoveB);
}

void ManualHandling::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
