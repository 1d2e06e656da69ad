#include "Records.h"

#include <QDateTime>
#include <QJsonArray>

uint32_t AnswerReader::u32()
{
    if (!good || bytes.size() < pos + 4) {
        good = false;
        return 0;
    }
    const uint32_t v = (uint32_t(bytes[pos]) << 24) | (uint32_t(bytes[pos + 1]) << 16) | (uint32_t(bytes[pos + 2]) << 8)
                       | uint32_t(bytes[pos + 3]);
    pos += 4;
    return v;
}

uint8_t AnswerReader::byte()
{
    if (!good || pos >= bytes.size()) {
        good = false;
        return 0;
    }
    return bytes[pos++];
}

std::string AnswerReader::text()
{
    const std::size_t length = byte();
    if (!good || bytes.size() - pos < length) {
        good = false;
        return std::string();
    }
    std::string s(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                  bytes.begin() + static_cast<std::ptrdiff_t>(pos + length));
    pos += length;
    return s;
}

const char *typeFolder(uint8_t type)
{
    switch (type) {
    case 1:
        return "milling";
    case 2:
        return "cutting";
    case 3:
        return "whipping";
    default:
        return "unknown";
    }
}

uint8_t parseType(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == "1" || t == "milling" || t == "frostizing")
        return 1;
    if (t == "2" || t == "cutting")
        return 2;
    if (t == "3" || t == "whipping")
        return 3;
    return 0;
}

QString timeText(uint32_t epochSeconds)
{
    if (epochSeconds == 0)
        return QString();
    return QDateTime::fromSecsSinceEpoch(epochSeconds, Qt::UTC).toString(Qt::ISODate);
}

QJsonObject recipeRecord(AnswerReader &r)
{
    QJsonObject o;
    o["code"] = qint64(r.u32());
    const uint8_t type = r.byte();
    o["type"] = type;
    o["function"] = typeFolder(type);
    o["name"] = QString::fromStdString(r.text());
    o["minStock"] = qint64(r.u32());
    o["referenceGlass"] = r.byte();
    const uint32_t updated = r.u32();
    o["updated"] = qint64(updated);
    o["updatedUtc"] = timeText(updated);
    o["portionDimension"] = r.byte();
    o["millingPressionType"] = r.byte();
    o["millingPressionIntensity"] = r.byte();
    o["emulsionWorkingMode"] = r.byte();
    QJsonArray milling;
    for (int i = 0; i < 7; ++i) {
        QJsonObject step;
        step["cutSpeed"] = r.byte();
        step["immersionSpeed"] = r.byte();
        milling.append(step);
    }
    o["millingSteps"] = milling;
    QJsonArray emulsion;
    for (int i = 0; i < 8; ++i) {
        QJsonObject step;
        step["cutSpeed"] = r.byte();
        step["immersionSpeed"] = r.byte();
        step["pressionIntensity"] = r.byte();
        step["pressionType"] = r.byte();
        const uint8_t pause = r.byte();
        step["pause"] = pause;
        step["enabled"] = pause != 127;
        emulsion.append(step);
    }
    o["emulsionSteps"] = emulsion;
    o["extraEmulsionSteps"] = r.byte();
    o["ingredientCount"] = r.byte();
    return o;
}

QJsonObject beakerRecord(AnswerReader &r)
{
    QJsonObject o;
    o["code"] = QString::fromStdString(r.text());
    const QString size = QString::fromStdString(r.text());
    o["size"] = size;
    o["sizeName"] = size.toInt() == 2 ? "big" : "small";
    const uint32_t created = r.u32();
    o["created"] = qint64(created);
    o["createdUtc"] = timeText(created);
    const uint32_t deadline = r.u32();
    o["deadline"] = qint64(deadline);
    o["deadlineUtc"] = timeText(deadline);
    o["recipeCode"] = qint64(r.u32());
    const uint8_t type = r.byte();
    o["recipeType"] = type;
    o["recipeFunction"] = typeFolder(type);
    o["portionsLeft"] = qint64(r.u32());
    const uint32_t updated = r.u32();
    o["updated"] = qint64(updated);
    o["updatedUtc"] = timeText(updated);
    return o;
}

QString safeFileName(const QString &code)
{
    QString out;
    for (const QChar c : code) {
        const ushort u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.'
                           || u == '-' || u == '_';
        out += plain ? c : QChar('_');
    }
    if (out.isEmpty() || out == "." || out == "..")
        out = "_" + out;
    return out;
}
