#include "data/CleaningCycles.h"

#include "platform/filestore.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QList>
#include <QRegularExpression>

namespace cleancycles {

namespace {

// 37 short fields; a file much larger than that is not a cycle table.
constexpr std::size_t kMaxFileSize = 64 * 1024;

// A plain decimal number: no exponent, no hexadecimal, no "nan" or "inf".
const QRegularExpression &numberPattern()
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d{1,6}(\\.\\d{1,6})?|\\.\\d{1,6})$"));
    return re;
}

bool readCycleTime(const QByteArray &field, float &seconds)
{
    const QString text = QString::fromLatin1(field.trimmed());
    if (!numberPattern().match(text).hasMatch())
        return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value > double(kMaxCycleSeconds))
        return false;
    seconds = value > 0 ? float(value) : 0.0f;
    return true;
}

} // namespace

TableReading parseCycleTable(const QByteArray &text, CycleTable &table)
{
    TableReading r;
    for (const QByteArray &line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        for (const QByteArray &field : line.split(',')) {
            if (r.fields >= kTableEntries) {
                ++r.ignored;
                continue;
            }
            if (!readCycleTime(field, table[std::size_t(r.fields)]))
                ++r.rejected;
            ++r.fields;
        }
    }
    return r;
}

CycleTable loadCycleTable()
{
    CycleTable table = kDefaultCycleSeconds;
    const std::string file = platform::path("/home/root/customcleaning.csv");
    std::string raw;
    std::string error;
    if (!platform::readFile(file, raw, kMaxFileSize + 1, &error)) {
        platform::debugLine("CUSTOM CLEANING : " + file + ": " + error);
        return table;
    }
    if (raw.size() > kMaxFileSize) {
        platform::debugLine("CUSTOM CLEANING : " + file + ": file troppo grande, uso i tempi di default");
        return table;
    }
    const TableReading r = parseCycleTable(QByteArray(raw.data(), int(raw.size())), table);
    if (r.rejected > 0 || r.ignored > 0)
        platform::debugLine("CUSTOM CLEANING : " + file + ": " + std::to_string(r.rejected) +
                            " campi non validi, " + std::to_string(r.ignored) + " campi in piu' ignorati");
    return table;
}

} // namespace cleancycles
