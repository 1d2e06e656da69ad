#include "data/Reminder.h"

#include "data/StoredFile.h"
#include "data/SystemCommand.h"
#include "platform/clock.h"
#include "platform/filestore.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QByteArray>

#include <cstdio>
#include <ctime>

namespace {

// Six characters and the line end. Records are read at fixed offsets rather
// than split at line ends: a minute, hour, day or month of 10 is itself a
// line-end character and would otherwise break the line in two.
constexpr int kRecord = 7;

std::string reminderPath()
{
    return platform::path("/home/root/reminder");
}

std::string workingCopyPath()
{
    return platform::path("/home/root/reminder_rd");
}

QByteArray record(const date &d)
{
    QByteArray r(kRecord, '\0');
    r[0] = static_cast<char>(d.minute);
    r[1] = static_cast<char>(d.hour);
    r[2] = static_cast<char>(d.day);
    r[3] = static_cast<char>(d.month);
    r[4] = 0;
    r[5] = static_cast<char>(d.year & 0xFF);
    r[6] = '\n';
    return r;
}

uint64_t toCount(uint64_t year, uint64_t month, uint64_t day, uint64_t hour, uint64_t minute)
{
    return year * 15552000ULL + month * 1296000ULL + day * 43200ULL + hour * 3600ULL + minute * 60ULL;
}

uint64_t toCount(const date &d)
{
    return toCount(d.year, d.month, d.day, d.hour, d.minute);
}

} // namespace

date currentDate()
{
    const std::time_t t = static_cast<std::time_t>(platform::nowSeconds());
    std::tm local{};
    localtime_r(&t, &local);
    date d;
    d.day = static_cast<uint8_t>(local.tm_mday);
    d.month = static_cast<uint8_t>(local.tm_mon);
    d.year = static_cast<uint16_t>(local.tm_year);
    d.hour = static_cast<uint8_t>(local.tm_hour);
    d.minute = static_cast<uint8_t>(local.tm_min);
    return d;
}

bool write_warning_reminder(const date &when, warning w)
{
    const int index = static_cast<int>(w);
    if (index < 0)
        return false;

    QByteArray content;
    QByteArray old;
    if (storedfile::readAll(reminderPath(), old, 64 * 1024)) {
        // Keep every complete record; a partial tail cannot be told apart
        // from damage and is dropped.
        content = old.left(old.size() - old.size() % kRecord);
    }
    // A warning never reminded before reads as the zero date: due at once.
    while (content.size() < (index + 1) * kRecord)
        content += record(date{});
    content.replace(index * kRecord, kRecord, record(when));

    // The working copy is completed and forced to storage before it replaces
    // the file in one rename, so a power cut leaves the old or the new dates.
    if (!storedfile::writeAll(workingCopyPath(), content))
        return false;
    syscmd::runSync();
    std::string error;
    if (!platform::renameFile(workingCopyPath(), reminderPath(), &error)) {
        platform::debugLine("reminder: rename failed: " + error);
        return false;
    }
    platform::syncFolderOf(reminderPath());
    syscmd::runSync();
    return true;
}

bool check_warning_remainder(const date &now, warning w, const date &interval)
{
    const int index = static_cast<int>(w);
    QByteArray raw;
    if (index < 0 || !storedfile::readAll(reminderPath(), raw, 64 * 1024) || raw.isEmpty())
        return true;
    // The last line may lack its line end; the six characters are what counts.
    if (raw.size() < index * kRecord + 6)
        return true;

    const auto *p = reinterpret_cast<const unsigned char *>(raw.constData()) + index * kRecord;
    const uint64_t stored = toCount(p[5], p[3], p[2], p[1], p[0]);
    const uint64_t current = toCount(now);
    const uint64_t span = toCount(interval);
    const uint64_t expiry = stored + span;

    platform::debugLine("utils : secondi data attuale  --> " + std::to_string(current));
    platform::debugLine("utils : secondi data letta    --> " + std::to_string(stored));
    platform::debugLine("utils : secondi intervallo    --> " + std::to_string(span));
    platform::debugLine("utils : secondi data scadenza --> " + std::to_string(expiry));
    return current >= expiry;
}
