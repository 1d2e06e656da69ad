#include "errors/ErrorManager.h"

#include "app/AppState.h"
#include "app/ErrorMessage.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/StoredFile.h"
#include "data/SystemCommand.h"
#include "link/SharedState.h"
#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ErrorManager errorSystem;
QStringList ErrorDescription;

namespace {

// The machine's codes in table order, with their limits.
struct CodeEntry
{
    const char *text;
    uint8_t consecutive;
    uint8_t signal;
};

const CodeEntry kCodes[] = {
    {QT_TRANSLATE_NOOP("ErrorManager", "TECNICAL PROBLEM, CONTACT THE ASSISTANCE"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 1\nDescription E1"), 25, 5},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 2\nDescription E2"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 3\nDescription E3"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 4\nDescription E4"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 5\nDescription E5"), 25, 5},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 6\nDescription E6"), 25, 5},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 7\nDescription E7"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 8\nDescription E8"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 9\nDescription E9"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 10\nDescription E10"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 11\nDescription E11"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 12\nDescription E12"), 0, 0},
    {QT_TRANSLATE_NOOP("ErrorManager", "ERROR 13\nDescription E13"), 0, 0},
};
constexpr int kCodeCount = sizeof(kCodes) / sizeof(kCodes[0]);

QString translated(int i)
{
    return QCoreApplication::translate("ErrorManager", kCodes[i].text);
}

void log(const std::string &line)
{
    platform::debugLine(line);
}

std::string localText(uint64_t seconds, const char *format)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &local);
    return std::string(buf, n);
}

// A table text as one CSV field: its line breaks would end the row, and a
// translated text might carry the separator.
QString csvField(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char(';'), QLatin1Char(','));
    return text;
}

// The occurrence log may be long; the export reads at most this much of its
// newest part.
constexpr qint64 kMaxLogBytes = 16 * 1024 * 1024;

} // namespace

ErrorManager::ErrorManager(QObject *parent) : QObject(parent) {}

std::string ErrorManager::limitsFilePath()
{
    return platform::path("/home/root/error.csv");
}

std::string ErrorManager::counterFilePath()
{
    return platform::path(std::string("/home/root/") + "/error");
}

std::string ErrorManager::occurrenceLogPath()
{
    return platform::path(std::string("/home/root/") + "/error_details");
}

void ErrorManager::addError(const QString &text, const QString &resource, uint8_t maxConsecutive,
                            uint8_t signalLimit)
{
    std::lock_guard<std::mutex> l(m);
    listError << text;
    listResoruce << resource;
    maxConsecutiveError.push_back(maxConsecutive);
    maxConsecutiveErrorSignalLimit.push_back(signalLimit);
    actualConsecutiveError.push_back(0);
    totalError.push_back(0);
}

void ErrorManager::fillErrorTable()
{
    {
        std::lock_guard<std::mutex> l(m);
        listError.clear();
        listResoruce.clear();
        maxConsecutiveError.clear();
        maxConsecutiveErrorSignalLimit.clear();
        actualConsecutiveError.clear();
        totalError.clear();
    }
    for (int i = 0; i < kCodeCount; ++i)
        addError(translated(i), QString(), kCodes[i].consecutive, kCodes[i].signal);
}

void ErrorManager::retranslateTable()
{
    std::lock_guard<std::mutex> l(m);
    for (int i = 0; i < kCodeCount && i < listError.size(); ++i)
        listError[i] = translated(i);
}

int ErrorManager::tableSize() const
{
    std::lock_guard<std::mutex> l(m);
    return listError.size();
}

uint16_t ErrorManager::consecutiveLimit(uint8_t code) const
{
    std::lock_guard<std::mutex> l(m);
    return code < maxConsecutiveError.size() ? maxConsecutiveError[code] : 0;
}

uint16_t ErrorManager::signalLimit(uint8_t code) const
{
    std::lock_guard<std::mutex> l(m);
    return code < maxConsecutiveErrorSignalLimit.size() ? maxConsecutiveErrorSignalLimit[code] : 0;
}

QString ErrorManager::textOf(uint8_t code) const
{
    // A code the table does not know (the board may send any 7-bit value)
    // shows the general text rather than nothing.
    if (code < listError.size())
        return listError[code];
    return listError.isEmpty() ? QString() : listError[0];
}

// ---- counting ---------------------------------------------------------------

void ErrorManager::setErrorCode(uint8_t code)
{
    actualErrorCode = code;
    update_error_count();
}

void ErrorManager::update_error_count()
{
    count_active = true;
    const uint8_t code = actualErrorCode;
    bool count = code != 0;
    if (code == 2 || code == 8 || code == 9) {
        std::atomic<bool> &once = code == 2 ? error_2_onetime : (code == 8 ? error_8_onetime : error_9_onetime);
        const std::string name = std::to_string(code);
        if (once.exchange(true)) {
            log(" **** ERRORE " + name + " -> GIA' PRESENTATO **** ");
            count = false;
        } else {
            log(" **** ERRORE " + name + " -> REGISTRATO **** ");
        }
    }
    if (count) {
        const uint64_t now = static_cast<uint64_t>(platform::nowSeconds());
        {
            std::lock_guard<std::mutex> l(m);
            if (code < actualConsecutiveError.size()) {
                if (actualConsecutiveError[code] < kCountLimit)
                    ++actualConsecutiveError[code];
                if (totalError[code] < kCountLimit)
                    ++totalError[code];
            }
        }
        countsUnsaved = true;
        lastErrorNotification = now + kNotificationDelay;
        saveSigleError(now, code);
        saveData();
    }
    count_active = false;
}

// ---- display ------------------------------------------------------------------

bool ErrorManager::displayError()
{
    // While its dialog is up the poll goes on: nothing more to show.
    if (count_active || errorDisplayed)
        return fatalError;
    const uint8_t code = actualErrorCode;
    if (code == 0 || code == previousErrorCode)
        return fatalError;

    bool limitReached = false;
    QString message;
    QString resource;
    {
        std::lock_guard<std::mutex> l(m);
        message = textOf(code);
        resource = code < listResoruce.size() ? listResoruce[code] : QString();
        if (code < maxConsecutiveError.size() && maxConsecutiveError[code] > 0) {
            limitReached = actualConsecutiveError[code] >= maxConsecutiveError[code];
            message += QStringLiteral("\n%1 / %2").arg(actualConsecutiveError[code]).arg(maxConsecutiveError[code]);
        }
    }
    // The poll passes here every 300 ms while the code stays pending: only a
    // count that has not reached the file yet is worth a write.
    if (limitReached && countsUnsaved)
        saveData();

    if (errorshow_onetime) {
        log(" **** ERRORE -> GIA MOSTRATO  **** ");
        log("ERROR MANAGER :  Non vado a visualizzare l'errore perchè già visualizzato");
        return fatalError;
    }
    errorshow_onetime = true;
    log(" **** ERRORE -> MAI MOSTRATO  **** ");

    log("ERROR MANAGER :  vado a visualizzare l'errore");
    errorDisplayed = true;
    ErrorWindowFlag = true;
    log(std::string("ERROR MANAGER : imposto  ErrorWindowFlag : ") + (ErrorWindowFlag ? "true" : "false"));

    // Shown without blocking: the home screen's poll must go on beneath it.
    // The error stays present until the operator closes the dialog.
    if (ErrorMessage *dialog = DisplayError(message, resource, false, true)) {
        connect(dialog, &QDialog::finished, this, &ErrorManager::errorDialogClosed);
        connect(dialog, &QObject::destroyed, this, &ErrorManager::errorDialogClosed);
    } else {
        errorDialogClosed();
    }
    return fatalError;
}

void ErrorManager::errorDialogClosed()
{
    // finished() and destroyed() both lead here; only the first one counts,
    // a code reported in between must survive the second.
    if (!errorDisplayed)
        return;
    errorDisplayed = false;
    actualErrorCode = 0;
}

bool ErrorManager::errorPresence() const
{
    return actualErrorCode != 0 && errorDisplayed;
}

void ErrorManager::resetState()
{
    actualErrorCode = 0;
    previousErrorCode = 0;
}

void ErrorManager::resetConsecutiveError()
{
    if (!advancedUserEnabled)
        return;
    {
        std::lock_guard<std::mutex> l(m);
        fatalError = false;
        std::fill(actualConsecutiveError.begin(), actualConsecutiveError.end(), 0);
        if (costructorEnable)
            std::fill(totalError.begin(), totalError.end(), 0);
    }
    saveData();
}

QStringList ErrorManager::getListError() const
{
    std::lock_guard<std::mutex> l(m);
    return listError;
}

std::vector<uint32_t> ErrorManager::getErrorOccunrnce() const
{
    std::lock_guard<std::mutex> l(m);
    return totalError;
}

std::vector<uint16_t> ErrorManager::getActualError() const
{
    std::lock_guard<std::mutex> l(m);
    return actualConsecutiveError;
}

// ---- files ------------------------------------------------------------------------

void ErrorManager::loadLimits()
{
    QByteArray raw;
    if (!storedfile::readAll(limitsFilePath(), raw, 64 * 1024))
        return;
    QList<QByteArray> fields;
    for (const QByteArray &line : raw.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        fields += line.split(',');
    }
    std::lock_guard<std::mutex> l(m);
    // Field k-1 sets code k; a field that is not a number 0..65535 keeps the
    // table's value for its code.
    for (int code = 1; code < static_cast<int>(maxConsecutiveError.size()) && code - 1 < fields.size(); ++code) {
        bool ok = false;
        const int v = fields[code - 1].trimmed().toInt(&ok);
        if (!ok || v < 0 || v > 0xFFFF)
            continue;
        maxConsecutiveError[code] = static_cast<uint16_t>(v);
        maxConsecutiveErrorSignalLimit[code] = static_cast<uint16_t>(v);
    }
    if (!maxConsecutiveError.empty()) {
        maxConsecutiveError[0] = 0;
        maxConsecutiveErrorSignalLimit[0] = 0;
    }
}

void ErrorManager::loadData()
{
    loadLimits();

    QByteArray raw;
    if (!storedfile::readAll(counterFilePath(), raw, 1024 * 1024)) {
        log("Could not open " + counterFilePath());
        // A first start has nothing to lose; a file that is there but cannot
        // be read keeps the lifetime totals and must not be overwritten.
        countersRead = !QFile::exists(QString::fromStdString(counterFilePath()));
        return;
    }
    countersRead = true;
    QDataStream in(raw);
    storedfile::prepare(in);
    bool fatal = false;
    in >> fatal;
    if (in.status() != QDataStream::Ok) {
        log("Could not read " + counterFilePath());
        return;
    }
    log("--- Caricamento Errori ---");
    log(std::string("FATALE ? : ") + (fatal ? "true" : "false"));
    std::lock_guard<std::mutex> l(m);
    fatalError = fatal;
    // A file written with a shorter table fills what it has; a longer one is
    // read as far as the table goes.
    for (std::size_t code = 0; code < actualConsecutiveError.size(); ++code) {
        quint16 consecutive = 0;
        quint32 total = 0;
        in >> consecutive >> total;
        if (in.status() != QDataStream::Ok)
            break;
        actualConsecutiveError[code] = consecutive;
        totalError[code] = total;
        log("idx " + std::to_string(code) + "\t\tAttuali Consegutivi " + std::to_string(consecutive) +
            "\t\t\t\t\tTatali " + std::to_string(total));
    }
}

bool ErrorManager::saveData()
{
    // Saves run one at a time so that an older snapshot never lands after a
    // newer one; the table lock is held only for the snapshot, not for the
    // write and sync, which may take a while on flash.
    std::lock_guard<std::mutex> order(saveMutex);
    if (!countersRead) {
        // Written before it was read, the file would lose every stored total.
        log("Errori non salvati: file " + counterFilePath() + " non ancora letto");
        return false;
    }
    QByteArray out;
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> l(m);
        QDataStream s(&out, QIODevice::WriteOnly);
        storedfile::prepare(s);
        s << bool(fatalError);
        for (std::size_t code = 0; code < actualConsecutiveError.size(); ++code) {
            s << quint16(actualConsecutiveError[code]) << quint32(totalError[code]);
            lines.push_back("idx " + std::to_string(code) + "\t\tAttuali Consegutivi " +
                            std::to_string(actualConsecutiveError[code]) + "\t\t\t\t\tTotali " +
                            std::to_string(totalError[code]));
        }
    }
    log("--- Aggiornamento Errori ---");
    log(std::string("FATALE ? : ") + (fatalError ? "true" : "false"));
    log("Attuali Consegutivi\t\t\t\t\tTatali");
    for (const std::string &line : lines)
        log(line);
    std::string error;
    if (!platform::writeFileAtomic(counterFilePath(), out.constData(), static_cast<std::size_t>(out.size()),
                                   &error)) {
        log("Could not open " + counterFilePath() + " (" + error + ")");
        return false;
    }
    countsUnsaved = false;
    syscmd::runSync();
    log("Errori Aggiornati");
    return true;
}

bool ErrorManager::saveSigleError(uint64_t time, uint8_t code)
{
    QByteArray record;
    {
        QDataStream s(&record, QIODevice::WriteOnly);
        storedfile::prepare(s);
        s << quint64(time) << quint8(code) << quint8(actualFunc) << quint8(actualDir) << quint8(actualCutSpeed)
          << quint8(actualImmSpeed) << quint8(actualPortion) << quint8(actualPortionWorked)
          << quint8(actualPression);
    }
    const std::string file = occurrenceLogPath();
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        log("Could not open " + file);
        return false;
    }
    // A power cut during an earlier append may have left part of a record;
    // it is cut off so that this record and every later one stay aligned.
    struct stat st{};
    if (::fstat(fd, &st) == 0 && st.st_size % kRecordSize != 0)
        (void)::ftruncate(fd, st.st_size - st.st_size % kRecordSize);
    bool ok = true;
    int done = 0;
    while (done < record.size()) {
        const ssize_t n = ::write(fd, record.constData() + done, static_cast<std::size_t>(record.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<int>(n);
    }
    if (::fsync(fd) != 0)
        ok = false;
    ::close(fd);
    syscmd::runSync();
    if (!ok)
        log("Could not write " + file);
    return ok;
}

bool ErrorManager::loadListError()
{
    errorListTime.clear();
    errorListCode.clear();
    errorListFunc.clear();
    errorListDir.clear();
    errorListCutSpeed.clear();
    errorListImmSpeed.clear();
    errorListPortion.clear();
    errorListPortionWorked.clear();
    errorListPression.clear();

    const std::string file = occurrenceLogPath();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        log("Could not open " + file);
        return false;
    }
    struct stat st{};
    qint64 size = ::fstat(fd, &st) == 0 ? st.st_size : 0;
    qint64 start = 0;
    if (size > kMaxLogBytes) {
        // The newest records matter most.
        start = size - kMaxLogBytes;
        start -= start % kRecordSize;
    }
    QByteArray raw;
    raw.resize(static_cast<int>(qMin(size - start, kMaxLogBytes)));
    qint64 got = 0;
    while (got < raw.size()) {
        const ssize_t n = ::pread(fd, raw.data() + got, static_cast<std::size_t>(raw.size() - got), start + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    raw.truncate(static_cast<int>(got));

    QDataStream in(raw);
    storedfile::prepare(in);
    // Whole records only: a torn last record ends the reading.
    const int records = raw.size() / kRecordSize;
    for (int i = 0; i < records; ++i) {
        quint64 time = 0;
        quint8 code = 0, func = 0, dir = 0, cut = 0, imm = 0, portion = 0, worked = 0, pression = 0;
        in >> time >> code >> func >> dir >> cut >> imm >> portion >> worked >> pression;
        if (in.status() != QDataStream::Ok)
            break;
        errorListTime.push_back(time);
        errorListCode.push_back(code);
        errorListFunc.push_back(func);
        errorListDir.push_back(dir);
        errorListCutSpeed.push_back(cut);
        errorListImmSpeed.push_back(imm);
        errorListPortion.push_back(portion);
        errorListPortionWorked.push_back(worked);
        errorListPression.push_back(pression);
    }
    return true;
}

bool ErrorManager::listErrorToCSV()
{
    if (!usbMount)
        return false;
    const uint64_t now = static_cast<uint64_t>(platform::nowSeconds());
    const std::string file =
        platform::path("/mnt/usb-memory/error_details_") + localText(now, "%Y-%m-%d") + ".csv";

    QString csv;
    csv += QStringLiteral("SN: ") + QString::fromStdString(serialNumber.get()) + QLatin1Char('\n');
    csv += QStringLiteral("TOTAL ERROR\n");
    csv += QStringLiteral("Error Name;Error Tot.;Error Att.\n");
    QStringList names;
    {
        std::lock_guard<std::mutex> l(m);
        names = listError;
        for (int code = 1; code < listError.size(); ++code) {
            csv += csvField(listError[code]) + QLatin1Char(';') + QString::number(totalError[code]) +
                   QLatin1Char(';') + QString::number(actualConsecutiveError[code]) + QLatin1Char('\n');
        }
    }
    csv += QStringLiteral("\nError Dettails\n");
    csv += QString::fromUtf8("Date;Error Name;Funzione;Direzione/Posizione;Velocità Taglio;Velocità Discesa;"
                             "Porzioni Richieste;Porzioni Lavorate;Pressione\n");
    for (std::size_t i = 0; i < errorListTime.size(); ++i) {
        const uint8_t code = errorListCode[i];
        csv += QString::fromStdString(localText(errorListTime[i], "%Y-%m-%d %H:%M:%S")) + QLatin1Char(';') +
               (code < names.size() ? csvField(names[code]) : QString()) + QLatin1Char(';') +
               QString::number(errorListFunc[i]) + QLatin1Char(';') + QString::number(errorListDir[i]) +
               QLatin1Char(';') + QString::number(errorListCutSpeed[i]) + QLatin1Char(';') +
               QString::number(errorListImmSpeed[i]) + QLatin1Char(';') + QString::number(errorListPortion[i]) +
               QLatin1Char(';') + QString::number(errorListPortionWorked[i]) + QLatin1Char(';') +
               QString::number(errorListPression[i]) + QLatin1Char('\n');
    }
    const QByteArray bytes = csv.toUtf8();
    std::string error;
    if (!platform::writeFileAtomic(file, bytes.constData(), static_cast<std::size_t>(bytes.size()), &error)) {
        log("Could not open " + file + " (" + error + ")");
        return false;
    }
    syscmd::runSync();
    return true;
}

// ---- process-wide helpers -------------------------------------------------------------

void ErrorDescriptionTranslate()
{
    log("--> Carico la lista con la descrizione degli errori in lingua");
    ErrorDescription.clear();
    for (int i = 0; i < kCodeCount; ++i)
        ErrorDescription << translated(i);
    log("--> caricamento eseguito ");
}

void reset_errori()
{
    log("RESETTO variabili error_x_one_time >>>> E2 E8 E9");
    error_2_onetime = false;
    error_8_onetime = false;
    error_9_onetime = false;
    errorshow_onetime = false;
}

void initErrorsResources()
{
    initAppResources();
}
