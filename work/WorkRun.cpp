#include "work/WorkRun.h"

#include "data/DataState.h"
#include "data/SequenceMsg.h"
#include "data/WorkSettings.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"

#include <QCoreApplication>

#include <algorithm>

int workFunction(const WorkSettings &program)
{
    if (const uint8_t type = program.getRecipeType())
        return type;
    if (program.filename.startsWith(QLatin1String("cutting")))
        return 2;
    if (program.filename.startsWith(QLatin1String("whipping")))
        return 3;
    return 1;
}

QString runTitle(const WorkSettings &program)
{
    const QString name = program.getRecipeName();
    if (!name.trimmed().isEmpty())
        return name;
    switch (workFunction(program)) {
    case 2:
        return QCoreApplication::translate("running", "CUTTING");
    case 3:
        return QCoreApplication::translate("running", "WHIPPING");
    default:
        break;
    }
    if (program.filename == QLatin1String("milling_soft"))
        return QCoreApplication::translate("running", "SOFT");
    if (program.filename == QLatin1String("milling_medium"))
        return QCoreApplication::translate("running", "MEDIUM");
    if (program.filename == QLatin1String("milling_hard"))
        return QCoreApplication::translate("running", "HARD");
    return QCoreApplication::translate("running", "FROSTIZING");
}

int emulsionCyclesDone(const WorkSettings &program, int emulsionSteps)
{
    return std::min<int>(program.getTotalEmulsionCicle(), std::max(0, emulsionSteps) / 2);
}

int portionsDone(const WorkSettings &program)
{
    const int inUse = std::max(1, program.millingStepsInUse());
    return std::min<int>(program.getPortion(), program.numOfStepMilling / inUse);
}

bool reloadRunProgram(const char *who)
{
    WorkSettings *program = actual;
    const bool liquid = program->getEmulsionWorkingMode() == 127;
    program->setReworkAddStep(0);
    const bool loaded = program->Load(QString());
    if (liquid)
        program->setEmulsionWorkingMode(127);
    if (!loaded)
        platform::debugLine(std::string(who) + " : ricaricamento programma non riuscito (" +
                            program->mainFilePath().toStdString() + ")");
    return loaded;
}

bool queueWorkSequence()
{
    std::queue<ByteVector> frames = BuildSequenceMsg(*actual);
    if (frames.empty())
        return false;
    FifoLock lock;
    for (; !frames.empty(); frames.pop())
        serialFifo.push(frames.front());
    waitStateVar(BoardCmd::Milling);
    waitStateVar(BoardCmd::Emulsion);
    waitStateVar(BoardCmd::Start);
    return true;
}
