#include "data/GlassElementsList.h"

#include "data/StoredFile.h"
#include "data/StreamIO.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>

#include <algorithm>

namespace {

uint now()
{
    return static_cast<uint>(platform::nowSeconds());
}

// A time is a map key: it may meanwhile belong to another code changed in the
// same second, whose entry must not be dropped with ours.
void dropTimeEntry(QMap<uint, QString> &byTime, const QMap<QString, uint> &byCode, const QString &code)
{
    const auto it = byCode.constFind(code);
    if (it == byCode.constEnd())
        return;
    const auto entry = byTime.find(it.value());
    if (entry != byTime.end() && entry.value() == code)
        byTime.erase(entry);
}

QStringList walkNewestFirst(const QMap<uint, QString> &byTime, uint32_t since)
{
    QStringList codes;
    auto it = byTime.constEnd();
    while (it != byTime.constBegin()) {
        --it;
        if (it.key() < since)
            break;
        codes << it.value();
    }
    return codes;
}

} // namespace

std::string GlassElementsList::folderPath()
{
    return platform::path("/home/root/glasses/");
}

std::string GlassElementsList::filePath()
{
    return folderPath() + "/glass.list";
}

bool GlassElementsList::insertNewElement(const QString &code, const QString &user)
{
    const uint t = now();
    std::lock_guard<std::mutex> l(m);
    // A code printed on a new beaker may have been used before: once it is
    // registered again it is no longer a deleted beaker.
    dropTimeEntry(deleteList, deleteListReverse, code);
    deleteListReverse.remove(code);
    dropTimeEntry(updateList, updateListReverse, code);
    updateList.insert(t, code);
    updateListReverse.insert(code, t);
    userUpdateList.insert(code, user);
    return true;
}

bool GlassElementsList::updateElement(const QString &code, const QString &user)
{
    // Recording a change is the same bookkeeping as registering the code.
    return insertNewElement(code, user);
}

bool GlassElementsList::removeElement(const QString &code, const QString &user)
{
    const uint t = now();
    std::lock_guard<std::mutex> l(m);
    dropTimeEntry(updateList, updateListReverse, code);
    updateListReverse.remove(code);
    dropTimeEntry(deleteList, deleteListReverse, code);
    deleteList.insert(t, code);
    deleteListReverse.insert(code, t);
    userUpdateList.insert(code, user);
    return true;
}

QStringList GlassElementsList::getGlassCodeList() const
{
    std::lock_guard<std::mutex> l(m);
    return updateListReverse.keys();
}

bool GlassElementsList::contains(const QString &code) const
{
    std::lock_guard<std::mutex> l(m);
    return updateListReverse.contains(code);
}

uint32_t GlassElementsList::getGlassUpdate(const QString &code) const
{
    std::lock_guard<std::mutex> l(m);
    const auto u = updateListReverse.constFind(code);
    if (u != updateListReverse.constEnd())
        return u.value();
    return deleteListReverse.value(code, 0);
}

QStringList GlassElementsList::getAllUpdateGlass(uint32_t since) const
{
    std::lock_guard<std::mutex> l(m);
    return walkNewestFirst(updateList, since);
}

QStringList GlassElementsList::getAllDeleteGlass(uint32_t since) const
{
    std::lock_guard<std::mutex> l(m);
    return walkNewestFirst(deleteList, since);
}

uint32_t GlassElementsList::getLastUpdate() const
{
    std::lock_guard<std::mutex> l(m);
    uint32_t newest = 0;
    if (!updateList.isEmpty())
        newest = std::max<uint32_t>(newest, updateList.lastKey());
    if (!deleteList.isEmpty())
        newest = std::max<uint32_t>(newest, deleteList.lastKey());
    return newest;
}

QString GlassElementsList::getUser(const QString &code) const
{
    std::lock_guard<std::mutex> l(m);
    return userUpdateList.value(code);
}

bool GlassElementsList::Save()
{
    QByteArray raw;
    {
        std::lock_guard<std::mutex> l(m);
        QDataStream out(&raw, QIODevice::WriteOnly);
        storedfile::prepare(out);
        out << updateList << updateListReverse;
        // The hash is written in a fixed order (as the maps are, newest key
        // first) so that equal registries give equal files.
        QStringList codes = userUpdateList.keys();
        std::sort(codes.begin(), codes.end());
        out << quint32(codes.size());
        for (auto it = codes.crbegin(); it != codes.crend(); ++it)
            out << *it << userUpdateList.value(*it);
        out << deleteList << deleteListReverse;
    }
    storedfile::makeFolder(folderPath());
    if (!storedfile::writeAll(filePath(), raw)) {
        platform::reportToOperator("Recipe Saving Error.");
        return false;
    }
    return true;
}

bool GlassElementsList::Load()
{
    QByteArray raw;
    if (!storedfile::readAll(filePath(), raw))
        return false;
    QDataStream in(raw);
    storedfile::prepare(in);

    QMap<uint, QString> updates, deletes;
    QMap<QString, uint> updatesByCode, deletesByCode;
    QHash<QString, QString> users;
    const bool ok = StreamIO::readMap(in, updates) && StreamIO::readMap(in, updatesByCode)
                    && StreamIO::readMap(in, users) && StreamIO::readMap(in, deletes)
                    && StreamIO::readMap(in, deletesByCode);
    if (!ok) {
        platform::debugLine("glass.list damaged, registry not loaded: " + filePath());
        return false;
    }
    std::lock_guard<std::mutex> l(m);
    updateList = updates;
    updateListReverse = updatesByCode;
    userUpdateList = users;
    deleteList = deletes;
    deleteListReverse = deletesByCode;
    return true;
}
