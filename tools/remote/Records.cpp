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

namespace {

// Reads the fields of a program object; the first problem met is kept and
// every later read gives 0.
class ProgramFields
{
public:
    QString problem;

    uint32_t number(const QJsonObject &o, const QString &key, const QString &where, uint32_t max, bool required,
                    uint32_t fallback = 0)
    {
        if (!problem.isEmpty())
            return 0;
        const QJsonValue v = o.value(key);
        if (v.isUndefined()) {
            if (required)
                problem = QString("\"%1\" is missing%2").arg(key, where);
            return fallback;
        }
        const double d = v.toDouble(-1);
        if (!v.isDouble() || d < 0 || d > max || d != static_cast<double>(static_cast<uint64_t>(d))) {
            problem = QString("\"%1\"%2 must be a whole number from 0 to %3").arg(key, where).arg(max);
            return 0;
        }
        return static_cast<uint32_t>(d);
    }
    uint8_t byte(const QJsonObject &o, const QString &key, const QString &where = QString(), bool required = true)
    {
        return static_cast<uint8_t>(number(o, key, where, 255, required));
    }
    QJsonArray steps(const QJsonObject &o, const QString &key, int count)
    {
        if (!problem.isEmpty())
            return QJsonArray();
        const QJsonArray a = o.value(key).toArray();
        if (!o.value(key).isArray() || a.size() != count) {
            problem = QString("\"%1\" must be a list of %2 steps").arg(key).arg(count);
            return QJsonArray();
        }
        for (const QJsonValue &step : a) {
            if (!step.isObject()) {
                problem = QString("every entry of \"%1\" must be an object").arg(key);
                return QJsonArray();
            }
        }
        return a;
    }
};

constexpr uint8_t DisabledPause = 127;

} // namespace

bool guestProgramBytes(const QJsonObject &program, ByteVector *out, QString *problem)
{
    ProgramFields f;
    ByteVector b;

    QString name;
    const QJsonValue nameValue = program.value("name");
    if (!nameValue.isUndefined() && !nameValue.isString())
        f.problem = "\"name\" must be a text";
    name = nameValue.toString();
    const QByteArray nameBytes = name.toUtf8();
    if (f.problem.isEmpty() && nameBytes.size() > 255)
        f.problem = "\"name\" is longer than 255 bytes";

    // The type as `recipe get` prints it ("type" 1..3, "function" the
    // folder name); a name is accepted for "type" as well.
    uint8_t type = 0;
    const QJsonValue typeValue = program.value("type");
    if (typeValue.isUndefined() || typeValue.isString()) {
        const QJsonValue text = typeValue.isString() ? typeValue : program.value("function");
        type = parseType(text.toString());
        if (type == 0 && f.problem.isEmpty())
            f.problem = "\"type\" must be 1/milling, 2/cutting or 3/whipping";
    } else {
        type = f.byte(program, "type");
    }

    b.push_back(static_cast<uint8_t>(nameBytes.size()));
    b.insert(b.end(), nameBytes.begin(), nameBytes.end());
    b.push_back(type);
    const uint32_t stock = f.number(program, "minStock", QString(), 0xFFFFFFFFu, false);
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<uint8_t>(stock >> shift));
    b.push_back(static_cast<uint8_t>(f.number(program, "referenceGlass", QString(), 255, false)));
    for (const char *key :
         {"portionDimension", "millingPressionType", "millingPressionIntensity", "emulsionWorkingMode"})
        b.push_back(f.byte(program, key));

    const QJsonArray milling = f.steps(program, "millingSteps", 7);
    for (int i = 0; i < milling.size(); ++i) {
        const QJsonObject step = milling[i].toObject();
        const QString where = QString(" of milling step %1").arg(i);
        b.push_back(f.byte(step, "cutSpeed", where));
        b.push_back(f.byte(step, "immersionSpeed", where));
    }
    const QJsonArray emulsion = f.steps(program, "emulsionSteps", 8);
    for (int i = 0; i < emulsion.size(); ++i) {
        const QJsonObject step = emulsion[i].toObject();
        const QString where = QString(" of emulsion step %1").arg(i);
        b.push_back(f.byte(step, "cutSpeed", where));
        b.push_back(f.byte(step, "immersionSpeed", where));
        b.push_back(f.byte(step, "pressionIntensity", where));
        b.push_back(f.byte(step, "pressionType", where));
        uint8_t pause = f.byte(step, "pause", where);
        // "enabled" is derived from the pause; switching it off is the
        // natural edit, so it wins. Switched on, the pause must say so too.
        const QJsonValue enabled = step.value("enabled");
        if (f.problem.isEmpty() && !enabled.isUndefined()) {
            if (!enabled.isBool())
                f.problem = "\"enabled\"" + where + " must be true or false";
            else if (!enabled.toBool())
                pause = DisabledPause;
            else if (pause == DisabledPause)
                f.problem = "emulsion step " + QString::number(i)
                            + " is enabled but its pause is 127, the mark of a disabled step";
        }
        b.push_back(pause);
    }
    b.push_back(f.byte(program, "extraEmulsionSteps"));

    if (!f.problem.isEmpty()) {
        *problem = f.problem;
        return false;
    }
    *out = std::move(b);
    return true;
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
