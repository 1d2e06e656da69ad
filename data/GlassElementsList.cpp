#include "data/GlassElementsList.h"

#include "data/StoredFile.h"
#include "data/StreamIO.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>

#include <algorithm>
#include <iterator>

namespace {

uint now()
{
    return static_cast<uint>(platform::nowSeconds());
}

// A time key may be shared with other codes changed in the same second; only
// this code's entry goes.
void dropTimeEntry(QMultiMap<uint, QString> &byTime, const QMap<QString, uint> &byCode, const QString &code)
{
    const auto it = byCode.constFind(code);
    if (it != byCode.constEnd())
        byTime.remove(it.value(), code);
}

// Newest second first; within one second the later change first (the order
// in which the map keeps equal keys).
QStringList walkNewestFirst(const QMultiMap<uint, QString> &byTime, uint32_t since)
{
    QStringList codes;
    auto it = byTime.constEnd();
    while (it != byTime.constBegin()) {
        --it;
        if (it.key() < since)
            break;
        const auto first = byTime.lowerBound(it.key());
        for (auto same = first; same != std::next(it); ++same)
            codes << same.value();
        it = first;
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

std::unique_lock<std::recursive_mutex> GlassElementsList::hold() const
{
    return std::unique_lock<std::recursive_mutex>(m);
}

GlassElementsList::State GlassElementsList::snapshot() const
{
    const auto l = hold();
    return s;
}

void GlassElementsList::restore(const State &state)
{
    const auto l = hold();
    s = state;
}

bool GlassElementsList::insertNewElement(const QString &code, const QString &user)
{
    const uint t = now();
    const auto l = hold();
    // A code printed on a new beaker may have been used before: once it is
    // registered again it is no longer a deleted beaker.
    dropTimeEntry(s.deleteList, s.deleteListReverse, code);
    s.deleteListReverse.remove(code);
    dropTimeEntry(s.updateList, s.updateListReverse, code);
    s.updateList.insert(t, code);
    s.updateListReverse.insert(code, t);
    s.userUpdateList.insert(code, user);
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
    const auto l = hold();
    dropTimeEntry(s.updateList, s.updateListReverse, code);
    s.updateListReverse.remove(code);
    dropTimeEntry(s.deleteList, s.deleteListReverse, code);
    s.deleteList.insert(t, code);
    s.deleteListReverse.insert(code, t);
    s.userUpdateList.insert(code, user);
    return true;
}

QStringList GlassElementsList::getGlassCodeList() const
{
    const auto l = hold();
    return s.updateListReverse.keys();
}

bool GlassElementsList::contains(const QString &code) const
{
    const auto l = hold();
    return s.updateListReverse.contains(code);
}

uint32_t GlassElementsList::getGlassUpdate(const QString &code) const
{
    const auto l = hold();
    const auto u = s.updateListReverse.constFind(code);
    if (u != s.updateListReverse.constEnd())
        return u.value();
    return s.deleteListReverse.value(code, 0);
}

QStringList GlassElementsList::getAllUpdateGlass(uint32_t since) const
{
    const auto l = hold();
    return walkNewestFirst(s.updateList, since);
}

QStringList GlassElementsList::getAllDeleteGlass(uint32_t since) const
{
    const auto l = hold();
    return walkNewestFirst(s.deleteList, since);
}

uint32_t GlassElementsList::getLastUpdate() const
{
    const auto l = hold();
    uint32_t newest = 0;
    if (!s.updateList.isEmpty())
        newest = std::max<uint32_t>(newest, s.updateList.lastKey());
    if (!s.deleteList.isEmpty())
        newest = std::max<uint32_t>(newest, s.deleteList.lastKey());
    return newest;
}

QString GlassElementsList::getUser(const QString &code) const
{
    const auto l = hold();
    return s.userUpdateList.value(code);
}

// The registry stays locked while its file is written: a change made
// meanwhile waits, and its own save then writes it after this one.
bool GlassElementsList::Save()
{
    const auto l = hold();
    QByteArray raw;
    {
        QDataStream out(&raw, QIODevice::WriteOnly);
        storedfile::prepare(out);
        out << s.updateList << s.updateListReverse;
        // The hash is written in a fixed order (as the maps are, newest key
        // first) so that equal registries give equal files.
        QStringList codes = s.userUpdateList.keys();
        std::sort(codes.begin(), codes.end());
        out << quint32(codes.size());
        for (auto it = codes.crbegin(); it != codes.crend(); ++it)
            out << *it << s.userUpdateList.value(*it);
        out << s.deleteList << s.deleteListReverse;
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

    State read;
    const bool ok = StreamIO::readMap(in, read.updateList) && StreamIO::readMap(in, read.updateListReverse)
                    && StreamIO::readMap(in, read.userUpdateList) && StreamIO::readMap(in, read.deleteList)
                    && StreamIO::readMap(in, read.deleteListReverse);
    if (!ok) {
        platform::debugLine("glass.list damaged, registry not loaded: " + filePath());
        return false;
    }
    restore(read);
    return true;
}
