#include "data/WorkingTimer.h"

#include "data/DataState.h"
#include "data/StoredFile.h"
#include "data/StreamIO.h"
#include "data/SystemCommand.h"
#include "link/LinkStatistics.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>
#include <QDateTime>

#include <cstdio>

namespace {

std::string countersPath()
{
    return platform::path("/home/root/working");
}

QString count(uint64_t v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(v));
    return QString::fromLatin1(buf);
}

QString duration(uint64_t seconds)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60));
    return QString::fromLatin1(buf);
}

const char *const READ_ERROR = "Machine Counters Reading Error.";

uint64_t now()
{
    const int64_t t = platform::nowSeconds();
    return t > 0 ? static_cast<uint64_t>(t) : 0;
}

} // namespace

void WorkingTimer::load()
{
    const std::string path = countersPath();
    if (!storedfile::exists(path)) {
        // A fresh machine: every counter at zero, the service countdowns full.
        // (A file of zero bytes would read as a service already due.)
        {
            std::lock_guard<std::mutex> l(m);
            WorkingTimerLoaded = false;
            readFailed = false; // nothing left that a save could destroy
        }
        if (save())
            platform::debugLine("WorkingTimer File Dummy CREATO!!");
    }

    platform::debugLine("WorkingTimer --> Attenzione il file : " + path + " era chiuso provo ad aprirlo!!");
    QByteArray raw;
    if (!storedfile::readAll(path, raw)) {
        // The counters are there but cannot be read (permissions, an I/O
        // error): zeros written over them would lose the machine's history
        // for good, so nothing is saved until a load succeeds.
        platform::debugLine("WorkingTimer --> lettura fallita, il file non verra' sovrascritto: " + path);
        platform::reportToOperator(READ_ERROR);
        std::lock_guard<std::mutex> l(m);
        WorkingTimerLoaded = false;
        readFailed = true;
        return;
    }
    QDataStream in(raw);
    storedfile::prepare(in);

    // Fields in file order; reading stops at the first one the file does not
    // hold completely, and everything from there keeps its fresh value.
    quint64 counters[15] = {};
    int countersRead = 0;
    for (; countersRead < 15; ++countersRead) {
        quint64 v = 0;
        in >> v;
        if (in.status() != QDataStream::Ok)
            break;
        counters[countersRead] = v;
    }
    double absorption = 0.0, temperature = 0.0;
    bool maximaRead = false;
    if (in.status() == QDataStream::Ok) {
        in >> absorption >> temperature;
        maximaRead = in.status() == QDataStream::Ok;
    }
    QStringList reserved;
    if (in.status() == QDataStream::Ok)
        StreamIO::readStringList(in, reserved);
    quint64 revDate = REVISION_DATE, revPortion = REVISION_PORTION;
    if (in.status() == QDataStream::Ok) {
        quint64 d = 0, p = 0;
        in >> d >> p;
        if (in.status() == QDataStream::Ok) {
            revDate = d;
            revPortion = p;
        }
    }

    std::lock_guard<std::mutex> l(m);
    uint64_t *const order[15] = {&acMotor,
                                 &stepperMotor,
                                 &pressionPump,
                                 &solenoidValve,
                                 &machine,
                                 &vacuumPump,
                                 &filter,
                                 &totalMillingPortion,
                                 &totalSmallGlassMilling,
                                 &totalBigGlassMilling,
                                 &totalSmallGlassWhipping,
                                 &totalBigGlassWhipping,
                                 &totalSmallGlassCutting,
                                 &totalBigGlassCutting,
                                 &totalGlassClean};
    for (int i = 0; i < 15; ++i)
        *order[i] = counters[i];
    maxAbsorption = maximaRead ? absorption : 0.0;
    maxTemperature = maximaRead ? temperature : 0.0;
    reservedStrings = reserved;
    revisionDate = revDate;
    revisionPortion = revPortion;
    WorkingTimerLoaded = true;
    readFailed = false;
}

bool WorkingTimer::save()
{
    // Serialise and write under one lock of their own, so that two threads
    // saving at once cannot leave the older state on disk.
    std::unique_lock<std::mutex> order(saveMutex);
    QByteArray raw;
    {
        std::lock_guard<std::mutex> l(m);
        if (readFailed) {
            platform::debugLine("WorkingTimer --> salvataggio rifiutato: contatori non letti");
            return false;
        }
        QDataStream out(&raw, QIODevice::WriteOnly);
        storedfile::prepare(out);
        out << quint64(acMotor) << quint64(stepperMotor) << quint64(pressionPump) << quint64(solenoidValve)
            << quint64(machine) << quint64(vacuumPump) << quint64(filter) << quint64(totalMillingPortion)
            << quint64(totalSmallGlassMilling) << quint64(totalBigGlassMilling)
            << quint64(totalSmallGlassWhipping) << quint64(totalBigGlassWhipping)
            << quint64(totalSmallGlassCutting) << quint64(totalBigGlassCutting) << quint64(totalGlassClean);
        out << maxAbsorption << maxTemperature;
        out << reservedStrings;
        out << quint64(revisionDate) << quint64(revisionPortion);
    }
    const bool ok = storedfile::writeAll(countersPath(), raw);
    order.unlock();
    syscmd::runSync();
    return ok;
}

bool WorkingTimer::isLoaded() const
{
    std::lock_guard<std::mutex> l(m);
    return WorkingTimerLoaded;
}

uint64_t WorkingTimer::elapsedSince(uint64_t start) const
{
    // A clock set back while something ran must not add a wrapped-around
    // interval of centuries.
    const uint64_t t = now();
    return t > start ? t - start : 0;
}

void WorkingTimer::startTimeAcMotor()
{
    std::lock_guard<std::mutex> l(m);
    startAcMotor = now();
}

void WorkingTimer::startTimeStepperMotor()
{
    std::lock_guard<std::mutex> l(m);
    startStepperMotor = now();
}

void WorkingTimer::startTimePump()
{
    std::lock_guard<std::mutex> l(m);
    startPump = now();
}

void WorkingTimer::startTimeSolenoidValve()
{
    std::lock_guard<std::mutex> l(m);
    startSolenoidValve = now();
}

void WorkingTimer::startTimeMachine()
{
    std::lock_guard<std::mutex> l(m);
    startMachine = now();
}

void WorkingTimer::stopTimeAcMotor()
{
    {
        std::lock_guard<std::mutex> l(m);
        if (startAcMotor == 0)
            return;
        acMotor += elapsedSince(startAcMotor);
        startAcMotor = 0;
    }
    save();
}

void WorkingTimer::stopTimeStepperMotor()
{
    {
        std::lock_guard<std::mutex> l(m);
        if (startStepperMotor == 0)
            return;
        const uint64_t elapsed = elapsedSince(startStepperMotor);
        stepperMotor += elapsed;
        revisionDate = elapsed >= revisionDate ? 0 : revisionDate - elapsed;
        startStepperMotor = 0;
    }
    save();
}

void WorkingTimer::stopTimePump(uint8_t pump)
{
    {
        std::lock_guard<std::mutex> l(m);
        if (startPump == 0)
            return;
        addTimePumpLocked(elapsedSince(startPump), pump);
        startPump = 0;
    }
    save();
}

void WorkingTimer::stopTimeSolenoidValve()
{
    {
        std::lock_guard<std::mutex> l(m);
        if (startSolenoidValve == 0)
            return;
        solenoidValve += elapsedSince(startSolenoidValve);
        startSolenoidValve = 0;
    }
    save();
}

void WorkingTimer::stopTimeMachine()
{
    {
        std::lock_guard<std::mutex> l(m);
        if (startMachine == 0 || now() == startMachine)
            return;
        machine += elapsedSince(startMachine);
        startMachine = 0;
    }
    save();
}

void WorkingTimer::addTimeAcMotor(uint64_t s)
{
    std::lock_guard<std::mutex> l(m);
    acMotor += s;
}

void WorkingTimer::addTimeStepperMotor(uint64_t s)
{
    std::lock_guard<std::mutex> l(m);
    stepperMotor += s;
}

void WorkingTimer::addTimeSolenoidValve(uint64_t s)
{
    std::lock_guard<std::mutex> l(m);
    solenoidValve += s;
}

void WorkingTimer::addTimeMachine(uint64_t s)
{
    std::lock_guard<std::mutex> l(m);
    machine += s;
}

void WorkingTimer::addTimePump(uint64_t s, uint8_t pump)
{
    std::lock_guard<std::mutex> l(m);
    addTimePumpLocked(s, pump);
}

void WorkingTimer::addTimePumpLocked(uint64_t s, uint8_t pump)
{
    if (pump == PRESSION_PUMP)
        pressionPump += s;
    else if (pump == VACUUM_PUMP)
        vacuumPump += s;
    // The air filter wears with either pump.
    filter += s;
}

void WorkingTimer::increaseGlassWorked(int function, int size)
{
    if (function < 0 || function > 2 || size < 0 || size > 1)
        return;
    {
        std::lock_guard<std::mutex> l(m);
        uint64_t *const counters[6] = {&totalSmallGlassMilling, &totalSmallGlassWhipping,
                                       &totalSmallGlassCutting, &totalBigGlassMilling,
                                       &totalBigGlassWhipping,  &totalBigGlassCutting};
        ++*counters[function + 3 * size];
    }
    save();
}

void WorkingTimer::increaseGlassClean()
{
    {
        std::lock_guard<std::mutex> l(m);
        ++totalGlassClean;
    }
    save();
}

void WorkingTimer::addPortionMilling(uint64_t n)
{
    {
        std::lock_guard<std::mutex> l(m);
        totalMillingPortion += n;
        revisionPortion = n >= revisionPortion ? 0 : revisionPortion - n;
    }
    save();
}

void WorkingTimer::addMaxTemperature(double celsius)
{
    std::lock_guard<std::mutex> l(m);
    // Before load() the stored maximum is not known yet.
    if (!WorkingTimerLoaded || !(celsius > maxTemperature))
        return;
    platform::debugLine("WorkingTimer -> MAX TEMP RILEVATA!!!");
    platform::debugLine(std::to_string(maxTemperature));
    maxTemperature = celsius;
}

void WorkingTimer::addMaxAbsorption(double absorption)
{
    std::lock_guard<std::mutex> l(m);
    if (!WorkingTimerLoaded || !(absorption > maxAbsorption))
        return;
    maxAbsorption = absorption;
}

bool WorkingTimer::needRevision() const
{
    std::lock_guard<std::mutex> l(m);
    if (revisionPortion == 0) {
        platform::debugLine("working Timers : NECESSARIO REVISIONE (PORZIONI)!!");
        return true;
    }
    return revisionDate == 0;
}

void WorkingTimer::resetRevision()
{
    std::lock_guard<std::mutex> l(m);
    revisionPortion = REVISION_PORTION;
    revisionDate = REVISION_DATE;
}

bool WorkingTimer::checkFilterChange() const
{
    std::lock_guard<std::mutex> l(m);
    if (filter > FILTER_LIMIT) {
        platform::debugLine("working Timers : NECESSARIO CAMBIO FILTRO!!");
        return true;
    }
    return false;
}

void WorkingTimer::resetFilterTime()
{
    std::lock_guard<std::mutex> l(m);
    filter = 0;
}

uint64_t WorkingTimer::getFilter() const
{
    std::lock_guard<std::mutex> l(m);
    return filter;
}

void WorkingTimer::resetCounter(int index)
{
    {
        std::lock_guard<std::mutex> l(m);
        switch (index) {
        case 0: acMotor = 0; break;
        case 2: maxTemperature = 0.0; break;
        case 3: maxAbsorption = 0.0; break;
        case 4: stepperMotor = 0; break;
        case 5: pressionPump = 0; break;
        case 6: filter = 0; break;
        case 7: totalMillingPortion = 0; break;
        case 8: totalSmallGlassMilling = 0; break;
        case 9: totalBigGlassMilling = 0; break;
        case 10: totalSmallGlassWhipping = 0; break;
        case 11: totalBigGlassWhipping = 0; break;
        case 12: totalSmallGlassCutting = 0; break;
        case 13: totalBigGlassCutting = 0; break;
        case 14: totalGlassClean = 0; break;
        case 15:
        case 16:
            revisionPortion = REVISION_PORTION;
            revisionDate = REVISION_DATE;
            break;
        default: break; // 1 and anything above 16 name no counter
        }
    }
    save();
}

QList<QPair<QString, QString>> WorkingTimer::infoRows() const
{
    std::lock_guard<std::mutex> l(m);
    char temp[48];
    std::snprintf(temp, sizeof temp, "%.1f", maxTemperature);
    char absorption[48];
    std::snprintf(absorption, sizeof absorption, "%.1f", maxAbsorption);
    return {
        {QStringLiteral("WORKING TIME BLADE MOTOR : "), duration(acMotor)},
        {QStringLiteral("MAX BLADE MOTOR TEMPERATURE: "), QString::fromLatin1(temp) + QStringLiteral(" °C")},
        {QStringLiteral("MAX BLADE MOTOR ABSORPTION: "), QString::fromLatin1(absorption)},
        {QStringLiteral("WORKING TIME TREE MOTOR: "), duration(stepperMotor)},
        {QStringLiteral("WORKING TIME PUMP: "), duration(pressionPump + vacuumPump)},
        {QStringLiteral("WORKING TIME FILTER: "), duration(filter)},
        {QStringLiteral("MILLING PORTION: "), count(totalMillingPortion)},
        {QStringLiteral("MILLING SMALL GLASS: "), count(totalSmallGlassMilling)},
        {QStringLiteral("MILLING BIG GLASS: "), count(totalBigGlassMilling)},
        {QStringLiteral("WHIPPING SMALL GLASS: "), count(totalSmallGlassWhipping)},
        {QStringLiteral("WHIPPING BIG GLASS: "), count(totalBigGlassWhipping)},
        {QStringLiteral("CUTTING SMALL GLASS: "), count(totalSmallGlassCutting)},
        {QStringLiteral("CUTTING BIG GLASS: "), count(totalBigGlassCutting)},
        {QStringLiteral("CLEANING PERFORMED: "), count(totalGlassClean)},
        {QStringLiteral("REVISION PORTION: "), count(revisionPortion)},
        {QStringLiteral("REVISION COUNTER: "), duration(revisionDate)},
    };
}

QStringList WorkingTimer::getListInfo() const
{
    QStringList lines;
    for (const auto &row : infoRows())
        lines << row.first + row.second;
    return lines;
}

bool WorkingTimer::listInfoToCSV() const
{
    const QString day = QDateTime::fromSecsSinceEpoch(platform::nowSeconds()).toString(QStringLiteral("yyyy-MM-dd"));
    const std::string path = platform::path("/mnt/usb-memory/system_state_" + day.toStdString() + ".csv");
    QByteArray content = "SYSTEM STATE\n";
    content += "SN: " + QByteArray::fromStdString(serialNumber.get()) + "\n";
    content += "Name;Info\n";
    for (const auto &row : infoRows()) {
        // The screen's names end in ": "; a CSV cell does not need it.
        QString name = row.first.trimmed();
        if (name.endsWith(QLatin1Char(':')))
            name.chop(1);
        content += name.trimmed().toUtf8() + ";" + row.second.toUtf8() + "\n";
    }
    // The serial link's health since start, for the service technician.
    const LinkStatistics::Snapshot link = LinkStatistics::snapshot();
    char share[32];
    std::snprintf(share, sizeof share, "%.1f %%", link.failedShare());
    content += "LINK\n";
    content += "EXCHANGES;" + count(link.exchanges).toLatin1() + "\n";
    content += "REPLIES MISSING;" + count(link.noAnswer).toLatin1() + "\n";
    content += "CORRUPT REPLIES;" + count(link.corrupt).toLatin1() + "\n";
    content += "REFUSALS;" + count(link.refused).toLatin1() + "\n";
    content += "RETRIES;" + count(link.retries).toLatin1() + "\n";
    content += "PORT RE-OPENS;" + count(link.portReopens).toLatin1() + "\n";
    content += "FAILED EXCHANGES;" + QByteArray(share) + "\n";
    return storedfile::writeAll(path, content);
}

uint64_t WorkingTimer::getAcMotor() const
{
    std::lock_guard<std::mutex> l(m);
    return acMotor;
}

uint64_t WorkingTimer::getStepperMotor() const
{
    std::lock_guard<std::mutex> l(m);
    return stepperMotor;
}

uint64_t WorkingTimer::getPressionPump() const
{
    std::lock_guard<std::mutex> l(m);
    return pressionPump;
}

uint64_t WorkingTimer::getVacuumPump() const
{
    std::lock_guard<std::mutex> l(m);
    return vacuumPump;
}

uint64_t WorkingTimer::getSolenoidValve() const
{
    std::lock_guard<std::mutex> l(m);
    return solenoidValve;
}

uint64_t WorkingTimer::getMachine() const
{
    std::lock_guard<std::mutex> l(m);
    return machine;
}

uint64_t WorkingTimer::getTotalMillingPortion() const
{
    std::lock_guard<std::mutex> l(m);
    return totalMillingPortion;
}

uint64_t WorkingTimer::getGlassWorked(int function, int size) const
{
    if (function < 0 || function > 2 || size < 0 || size > 1)
        return 0;
    std::lock_guard<std::mutex> l(m);
    const uint64_t counters[6] = {totalSmallGlassMilling, totalSmallGlassWhipping, totalSmallGlassCutting,
                                  totalBigGlassMilling,   totalBigGlassWhipping,   totalBigGlassCutting};
    return counters[function + 3 * size];
}

uint64_t WorkingTimer::getTotalGlassClean() const
{
    std::lock_guard<std::mutex> l(m);
    return totalGlassClean;
}

double WorkingTimer::getMaxTemperature() const
{
    std::lock_guard<std::mutex> l(m);
    return maxTemperature;
}

double WorkingTimer::getMaxAbsorption() const
{
    std::lock_guard<std::mutex> l(m);
    return maxAbsorption;
}

uint64_t WorkingTimer::getRevisionPortion() const
{
    std::lock_guard<std::mutex> l(m);
    return revisionPortion;
}

uint64_t WorkingTimer::getRevisionDate() const
{
    std::lock_guard<std::mutex> l(m);
    return revisionDate;
}

QStringList WorkingTimer::getReservedStrings() const
{
    std::lock_guard<std::mutex> l(m);
    return reservedStrings;
}
