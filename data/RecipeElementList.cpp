#include "data/RecipeElementList.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/StoredFile.h"
#include "data/StreamIO.h"
#include "data/WorkSettings.h"

#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Codes above this belong to the user set.
constexpr uint LAST_DEFAULT_CODE = 9999;

bool isUserCode(uint code)
{
    return code > LAST_DEFAULT_CODE;
}

uint32_t now()
{
    return static_cast<uint32_t>(platform::nowSeconds());
}

uint codeFromText(const QString &text)
{
    bool ok = false;
    const uint code = text.toUInt(&ok);
    return ok ? code : 0;
}

using RecipeSet = RecipeElementList::RecipeSet;

// A time key may be shared with other codes changed in the same second; only
// this code's entry goes, the others stay in the update history.
void dropTimeKey(QMultiMap<uint, uint> &byTime, uint time, uint code)
{
    byTime.remove(time, code);
}

void dropNameIfOwned(QMap<QString, uint> &names, const QString &name, uint code)
{
    const auto it = names.constFind(name);
    if (it != names.constEnd() && it.value() == code)
        names.remove(name);
}

QList<uint> changedSince(const QMap<uint, uint> &byCode, uint32_t since)
{
    // Walk the code -> time map: newest first, and within one second the
    // higher code first, whatever order the time-keyed map keeps them in.
    std::vector<std::pair<uint, uint>> hits; // (time, code)
    for (auto it = byCode.constBegin(); it != byCode.constEnd(); ++it) {
        if (it.value() >= since)
            hits.emplace_back(it.value(), it.key());
    }
    std::sort(hits.begin(), hits.end(), [](const auto &a, const auto &b) { return a > b; });
    QList<uint> codes;
    for (const auto &h : hits)
        codes.append(h.second);
    return codes;
}

uint32_t newestKey(const QMultiMap<uint, uint> &byTime)
{
    return byTime.isEmpty() ? 0 : byTime.lastKey();
}

// Keeps a corrupt or hand-edited list from handing out a code that is already
// in use, which would make two recipes share one file.
void repairCounter(RecipeSet &set, uint32_t floor)
{
    uint32_t highest = std::max(set.lastUsedCode, floor);
    auto consider = [&highest](uint code) { highest = std::max<uint32_t>(highest, code); };
    for (auto it = set.nameListReverse.constBegin(); it != set.nameListReverse.constEnd(); ++it)
        consider(it.key());
    for (auto it = set.updateListReverse.constBegin(); it != set.updateListReverse.constEnd(); ++it)
        consider(it.key());
    for (auto it = set.deleteListReverse.constBegin(); it != set.deleteListReverse.constEnd(); ++it)
        consider(it.key());
    if (highest != set.lastUsedCode) {
        platform::debugLine("RecipeElementList -> ultimo codice corretto da " + std::to_string(set.lastUsedCode)
                            + " a " + std::to_string(highest));
        set.lastUsedCode = highest;
    }
}

bool writeSet(const QString &file, const RecipeSet &set)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_6);
        out << qint32(set.lastUsedCode) << set.updateList << set.updateListReverse << set.userUpdateList
            << set.nameList << set.nameListReverse << set.deleteList << set.deleteListReverse;
    }
    std::string error;
    if (!platform::writeFileAtomic(file.toStdString(), bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                   &error)) {
        platform::debugLine("RecipeElementList -> " + error);
        platform::reportToOperator("Recipe Saving Error.");
        return false;
    }
    return true;
}

// Far more than any list grows to; a larger file is read as far as this.
constexpr qint64 kMaxListRead = 16 * storedfile::kMaxStoredFileSize;

// Reads one list file. Each container is taken as a whole or not at all, so a
// truncated file keeps everything before the damage.
void readSet(const QString &file, RecipeSet &set, uint32_t floor)
{
    QByteArray raw;
    if (!storedfile::readStart(file.toStdString(), raw, kMaxListRead))
        return;
    QDataStream in(raw);
    in.setVersion(QDataStream::Qt_5_6);
    qint32 last = 0;
    in >> last;
    if (in.status() == QDataStream::Ok)
        set.lastUsedCode = static_cast<uint32_t>(last);
    const bool ok = StreamIO::readMap(in, set.updateList) && StreamIO::readMap(in, set.updateListReverse)
                    && StreamIO::readMap(in, set.userUpdateList) && StreamIO::readMap(in, set.nameList)
                    && StreamIO::readMap(in, set.nameListReverse) && StreamIO::readMap(in, set.deleteList)
                    && StreamIO::readMap(in, set.deleteListReverse);
    if (!ok)
        platform::debugLine("RecipeElementList -> file danneggiato: " + file.toStdString());
    repairCounter(set, floor);
}

bool insertInto(RecipeSet &set, QMap<QString, uint> &total, const QString &name, const QString &user)
{
    const uint code = ++set.lastUsedCode;
    const uint t = now();
    set.updateList.insert(t, code);
    set.updateListReverse[code] = t;
    set.userUpdateList[code] = user;
    set.nameList[name] = code;
    total[name] = code;
    set.nameListReverse[code] = name;
    return true;
}

bool updateIn(RecipeSet &set, QMap<QString, uint> &total, const QString &name, const QString &user, uint code)
{
    const auto known = set.nameListReverse.constFind(code);
    if (known == set.nameListReverse.constEnd())
        return false;
    const QString previousName = known.value();
    const auto previousTime = set.updateListReverse.constFind(code);
    if (previousTime != set.updateListReverse.constEnd())
        dropTimeKey(set.updateList, previousTime.value(), code);
    const uint t = now();
    set.updateListReverse[code] = t;
    set.updateList.insert(t, code);
    set.userUpdateList[code] = user;
    dropNameIfOwned(set.nameList, previousName, code);
    dropNameIfOwned(total, previousName, code);
    set.nameList[name] = code;
    total[name] = code;
    set.nameListReverse[code] = name;
    return true;
}

bool removeFrom(RecipeSet &set, QMap<QString, uint> &total, uint code, const QString &user)
{
    Q_UNUSED(user);
    const auto known = set.nameListReverse.constFind(code);
    if (known == set.nameListReverse.constEnd())
        return false;
    const QString name = known.value();
    const auto changed = set.updateListReverse.constFind(code);
    if (changed != set.updateListReverse.constEnd()) {
        dropTimeKey(set.updateList, changed.value(), code);
        set.updateListReverse.remove(code);
    }
    dropNameIfOwned(set.nameList, name, code);
    set.nameListReverse.remove(code);
    dropNameIfOwned(total, name, code);
    const auto deleted = set.deleteListReverse.constFind(code);
    if (deleted != set.deleteListReverse.constEnd())
        dropTimeKey(set.deleteList, deleted.value(), code);
    const uint t = now();
    set.deleteList.insert(t, code);
    set.deleteListReverse[code] = t;
    return true;
}

} // namespace

RecipeElementList::RecipeElementList(const QString &type) : workingType(type)
{
    s.user.lastUsedCode = LAST_DEFAULT_CODE;
    s.factory.lastUsedCode = 0;
}

std::unique_lock<std::recursive_mutex> RecipeElementList::hold() const
{
    return std::unique_lock<std::recursive_mutex>(m);
}

RecipeElementList::State RecipeElementList::snapshot() const
{
    const auto l = hold();
    return s;
}

void RecipeElementList::restore(const State &state)
{
    const auto l = hold();
    s = state;
}

bool RecipeElementList::insertNewElement(const QString &name, const QString &user)
{
    const auto l = hold();
    return insertInto(s.user, s.total, name, user);
}

bool RecipeElementList::insertNewElementDefault(const QString &name, const QString &user)
{
    const auto l = hold();
    return insertInto(s.factory, s.total, name, user);
}

bool RecipeElementList::updateElement(const QString &name, const QString &user, uint code)
{
    const auto l = hold();
    return updateIn(s.user, s.total, name, user, code);
}

bool RecipeElementList::updateElementDefault(const QString &name, const QString &user, uint code)
{
    const auto l = hold();
    return updateIn(s.factory, s.total, name, user, code);
}

bool RecipeElementList::removeElement(uint code, const QString &user)
{
    const auto l = hold();
    return removeFrom(s.user, s.total, code, user);
}

bool RecipeElementList::removeElementDefault(uint code, const QString &user)
{
    const auto l = hold();
    return removeFrom(s.factory, s.total, code, user);
}

QString RecipeElementList::generateId(const QString &name, bool isDefault, const QString &user)
{
    const auto l = hold();
    const auto it = s.total.constFind(name);
    if (it == s.total.constEnd()) {
        if (isDefault) {
            insertNewElementDefault(name, user);
            return QString::number(s.factory.lastUsedCode);
        }
        insertNewElement(name, user);
        return QString::number(s.user.lastUsedCode);
    }
    const uint code = it.value();
    if (isDefault)
        updateElementDefault(name, user, code);
    else
        updateElement(name, user, code);
    return QString::number(code);
}

QStringList RecipeElementList::getRecipesNameList() const
{
    const auto l = hold();
    return s.total.keys();
}

QStringList RecipeElementList::getDefaultRecipesNameList() const
{
    const auto l = hold();
    return s.factory.nameList.keys();
}

bool RecipeElementList::contains(uint code) const
{
    const auto l = hold();
    return isUserCode(code) ? s.user.nameListReverse.contains(code) : s.factory.nameListReverse.contains(code);
}

bool RecipeElementList::contains(const QString &name) const
{
    const auto l = hold();
    return s.total.contains(name);
}

QString RecipeElementList::getId(const QString &name) const
{
    const auto l = hold();
    return QString::number(s.total.value(name, 0));
}

bool RecipeElementList::isDefault(const QString &name) const
{
    const auto l = hold();
    const auto it = s.total.constFind(name);
    return it != s.total.constEnd() && !isUserCode(it.value());
}

QString RecipeElementList::getRecipeName(uint code) const
{
    const auto l = hold();
    return (isUserCode(code) ? s.user : s.factory).nameListReverse.value(code);
}

QString RecipeElementList::getRecipeName(const QString &code) const
{
    return getRecipeName(codeFromText(code));
}

uint32_t RecipeElementList::getRecipeUpdate(uint code) const
{
    const auto l = hold();
    const RecipeSet &set = isUserCode(code) ? s.user : s.factory;
    const auto c = set.updateListReverse.constFind(code);
    if (c != set.updateListReverse.constEnd())
        return c.value();
    return set.deleteListReverse.value(code, 0);
}

uint32_t RecipeElementList::getRecipeUpdate(const QString &code) const
{
    return getRecipeUpdate(codeFromText(code));
}

QList<uint> RecipeElementList::getAllUpdateRecipe(uint32_t since) const
{
    const auto l = hold();
    return changedSince(s.user.updateListReverse, since) + changedSince(s.factory.updateListReverse, since);
}

QList<uint> RecipeElementList::getAllDeleteRecipe(uint32_t since) const
{
    const auto l = hold();
    return changedSince(s.user.deleteListReverse, since) + changedSince(s.factory.deleteListReverse, since);
}

uint32_t RecipeElementList::getLastUpdate() const
{
    const auto l = hold();
    return std::max({newestKey(s.user.updateList), newestKey(s.factory.updateList), newestKey(s.user.deleteList),
                     newestKey(s.factory.deleteList)});
}

void RecipeElementList::mergeList()
{
    const auto l = hold();
    s.total = s.user.nameList;
    for (auto it = s.factory.nameList.constBegin(); it != s.factory.nameList.constEnd(); ++it)
        s.total.insert(it.key(), it.value());
}

QString RecipeElementList::userFilePath() const
{
    return QString::fromStdString(platform::path(save_base_path)) + workingType + "/recipes.list";
}

QString RecipeElementList::defaultFilePath() const
{
    return QString::fromStdString(platform::path(save_base_path)) + workingType + "/recipes_default.list";
}

// The list stays locked while its file is written: a change made meanwhile
// waits, and its own save then writes it after this one.
bool RecipeElementList::Save()
{
    const auto l = hold();
    return writeSet(userFilePath(), s.user);
}

bool RecipeElementList::SaveDefault()
{
    const auto l = hold();
    return writeSet(defaultFilePath(), s.factory);
}

void RecipeElementList::Load()
{
    const auto l = hold();
    readSet(userFilePath(), s.user, LAST_DEFAULT_CODE);
    readSet(defaultFilePath(), s.factory, 0);
    mergeList();
}

uint32_t getLastUpdateDB()
{
    uint32_t newest = 0;
    for (const RecipeElementList *list : {recipesMillingList, recipesWhippingList, recipesCuttingList}) {
        if (list)
            newest = std::max(newest, list->getLastUpdate());
    }
    if (glassList)
        newest = std::max(newest, glassList->getLastUpdate());
    return newest;
}
