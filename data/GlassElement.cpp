#include "data/GlassElement.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/StoredFile.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/report.h"

#include <QDataStream>

namespace {

bool allDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

GlassElement::GlassElement()
{
    reset();
}

void GlassElement::reset()
{
    glassCode.clear();
    glassType.clear();
    creationDate = 0;
    deadLineDate = 0;
    residualContent = 0;
    recipeCode = 0;
    recipeType = 0;
}

bool GlassElement::isValidGlassCode(const QString &code)
{
    if (code.size() != 9)
        return false;
    const int dot = code.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString number = code.mid(dot + 1);
    if (!allDigits(number))
        return false;
    const uint value = number.toUInt();
    if (value == 0 || value >= 1000000)
        return false;
    // The code becomes a file name: its free-form first part must not name
    // another folder or carry characters a file name should not hold.
    const QString first = code.left(dot);
    if (first == QLatin1String(".") || first == QLatin1String(".."))
        return false;
    for (const QChar c : first) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || !c.isPrint())
            return false;
    }
    return true;
}

bool GlassElement::isValidGlassType(const QString &type)
{
    if (type.isEmpty() || type.size() > 2 || !allDigits(type))
        return false;
    const uint value = type.toUInt();
    return value == 1 || value == 2;
}

uint32_t GlassElement::getUpdate() const
{
    return glassList ? glassList->getGlassUpdate(glassCode) : 0;
}

uint8_t GlassElement::getFullContent() const
{
    return isValidGlassType(glassType) && glassType.toUInt() == 2 ? FULL_BIG : FULL_SMALL;
}

bool GlassElement::setGlassCode(const QString &code)
{
    if (!isValidGlassCode(code))
        return false;
    glassCode = code;
    return true;
}

bool GlassElement::setGlassCode(const char *code)
{
    return code && setGlassCode(QString::fromUtf8(code));
}

bool GlassElement::setGlassCode(const std::string &code)
{
    return setGlassCode(QString::fromStdString(code));
}

bool GlassElement::setGlassType(const QString &type)
{
    if (!isValidGlassType(type))
        return false;
    glassType = type;
    return true;
}

bool GlassElement::setGlassType(const char *type)
{
    return type && setGlassType(QString::fromUtf8(type));
}

bool GlassElement::setGlassType(const std::string &type)
{
    return setGlassType(QString::fromStdString(type));
}

bool GlassElement::setCreationDate()
{
    creationDate = static_cast<uint32_t>(platform::nowSeconds());
    return true;
}

bool GlassElement::setCreationDate(uint32_t t)
{
    if (int64_t(t) + ONE_YEAR <= platform::nowSeconds())
        return false;
    creationDate = t;
    return true;
}

bool GlassElement::setDeadLineDate(uint32_t t)
{
    if (t <= creationDate)
        return false;
    deadLineDate = t;
    return true;
}

bool GlassElement::setRecipeCode(uint32_t code)
{
    if (code == 0)
        return false;
    recipeCode = code;
    return true;
}

bool GlassElement::setRecipeType(uint8_t type)
{
    if (type < 1 || type > 3)
        return false;
    recipeType = type;
    return true;
}

bool GlassElement::initResidualContent()
{
    residualContent = getFullContent();
    return true;
}

bool GlassElement::setResidualContent(int n)
{
    if (n > 2 && n <= getFullContent()) {
        residualContent = static_cast<uint8_t>(n);
        Save(QString());
    } else {
        Delete(QString());
    }
    return true;
}

bool GlassElement::decreaseGlassContent(int n)
{
    int remainder = int(residualContent) - n;
    if (remainder > 2) {
        // A negative decrease cannot fill a beaker beyond full.
        if (remainder > getFullContent())
            remainder = getFullContent();
        residualContent = static_cast<uint8_t>(remainder);
        Save(QString());
    } else {
        residualContent = 0;
        Delete(QString());
    }
    return true;
}

bool GlassElement::isLoad() const
{
    return glassCode.size() > 5;
}

std::string GlassElement::filePath() const
{
    return GlassElementsList::folderPath() + glassCode.toStdString() + ".cont";
}

bool GlassElement::Save(const QString &user)
{
    // Without a valid code there is no file name to write under.
    if (!isValidGlassCode(glassCode)) {
        platform::debugLine("GlassElement: save without a valid code refused");
        return false;
    }
    QByteArray raw;
    {
        QDataStream out(&raw, QIODevice::WriteOnly);
        storedfile::prepare(out);
        out << glassCode << glassType << quint32(creationDate) << quint32(deadLineDate) << quint8(residualContent)
            << quint32(recipeCode) << quint8(recipeType);
    }
    storedfile::makeFolder(GlassElementsList::folderPath());
    // The registry stays locked until its file is written, so that a failure
    // takes back this change and no other.
    std::unique_lock<std::recursive_mutex> held;
    GlassElementsList::State before;
    if (glassList) {
        held = glassList->hold();
        before = glassList->snapshot();
    }
    const storedfile::Backup previous(filePath());
    if (!storedfile::writeAll(filePath(), raw)) {
        platform::reportToOperator("Recipe Saving Error.");
        return false;
    }
    if (!glassList)
        return true;
    if (glassList->contains(glassCode))
        glassList->updateElement(glassCode, user);
    else
        glassList->insertNewElement(glassCode, user);
    if (glassList->Save())
        return true;
    // The change time lives in the registry: a beaker file whose change could
    // not be recorded is put back as it was.
    previous.restore();
    glassList->restore(before);
    return false;
}

bool GlassElement::Load()
{
    QByteArray raw;
    if (!isValidGlassCode(glassCode) || !storedfile::readAll(filePath(), raw, 64 * 1024)) {
        reset();
        return false;
    }
    QDataStream in(raw);
    storedfile::prepare(in);
    QString code, type;
    quint32 created = 0, deadline = 0, recipe = 0;
    quint8 content = 0, kind = 0;
    in >> code >> type >> created >> deadline >> content >> recipe >> kind;
    // A damaged file, or one whose stored code could not name a beaker file,
    // leaves an empty element like a missing one.
    if (in.status() != QDataStream::Ok || !isValidGlassCode(code)) {
        platform::debugLine("GlassElement: damaged file " + filePath());
        reset();
        return false;
    }
    glassCode = code;
    glassType = type;
    creationDate = created;
    deadLineDate = deadline;
    residualContent = content;
    recipeCode = recipe;
    recipeType = kind;
    return true;
}

bool GlassElement::Delete(const QString &user)
{
    if (!isValidGlassCode(glassCode))
        return false;
    const std::string path = filePath();
    std::unique_lock<std::recursive_mutex> held;
    GlassElementsList::State before;
    if (glassList) {
        held = glassList->hold();
        before = glassList->snapshot();
    }
    const bool fileThere = storedfile::exists(path);
    // A registered beaker whose file is already gone is deleted all the same
    // (and that is a success), or the registry would report it present for ever.
    const bool registered = glassList && glassList->contains(glassCode);
    if (!fileThere && !registered)
        return false;
    // The deletion is recorded first: a registry that cannot be written
    // leaves the beaker whole.
    if (glassList) {
        glassList->removeElement(glassCode, user);
        if (!glassList->Save()) {
            glassList->restore(before);
            return false;
        }
    }
    if (fileThere && !storedfile::removeFile(path)) {
        platform::debugLine("GlassElement: cannot remove " + path);
        if (glassList) {
            glassList->restore(before);
            glassList->Save();
        }
        return false;
    }
    glassCode.clear();
    glassType.clear();
    return true;
}

ByteVector GlassElement::toByte() const
{
    ByteVector out;
    auto append = [&out](const ByteVector &part) { out.insert(out.end(), part.begin(), part.end()); };
    append(toByteArray(glassCode.toStdString()));
    append(toByteArray(glassType.toStdString()));
    append(toByteArray(uint32_t(creationDate)));
    append(toByteArray(uint32_t(deadLineDate)));
    append(toByteArray(uint32_t(recipeCode)));
    out.push_back(recipeType);
    append(toByteArray(uint32_t(residualContent)));
    append(toByteArray(uint32_t(getUpdate())));
    return out;
}
