#include "data/RecipeElementList.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/StreamIO.h"
#include "data/WorkSettings.h"

#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>
#include <QFile>

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

// The seven stored containers and the code counter of one recipe set, so that
// the user and default operations share one implementation.
struct RecipeSet
{
    QMap<uint, uint> &updateList;
    QMap<uint, uint> &updateListReverse;
    QHash<uint, QString> &userUpdateList;
    QMap<QString, uint> &nameList;
    QMap<uint, QString> &nameListReverse;
    QMap<uint, uint> &deleteList;
    QMap<uint, uint> &deleteListReverse;
    uint32_t &lastUsedCode;
};

// A time key may have been taken over by another code changed in the same
// second; only drop it when it still points at this code, or the other
// recipe's change would vanish from the update history.
void dropTimeKey(QMap<uint, uint> &byTime, uint time, uint code)
{
    const auto it = byTime.constFind(time);
    if (it != byTime.constEnd() && it.value() == code)
        byTime.remove(time);
}

void dropNameIfOwned(QMap<QString, uint> &names, const QString &name, uint code)
{
    const auto it = names.constFind(name);
    if (it != names.constEnd() && it.value() == code)
        names.remove(name);
}

QList<uint> changedSince(const QMap<uint, uint> &byCode, uint32_t since)
{
    // Walk the code -> time map rather than the time -> code one: two changes
    // in the same second share a time key, and the earlier one would be lost.
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

uint32_t newestKey(const QMap<uint, uint> &byTime)
{
    return byTime.isEmpty() ? 0 : byTime.lastKey();
}

// Keeps a corrupt or hand-edited list from handing out a code that is already
// in use, which would make two recipes share one file.
void repairCounter(uint32_t &counter, const RecipeSet &set, uint32_t floor)
{
    uint32_t highest = std::max(counter, floor);
    auto consider = [&highest](uint code) { highest = std::max<uint32_t>(highest, code); };
    for (auto it = set.nameListReverse.constBegin(); it != set.nameListReverse.constEnd(); ++it)
        consider(it.key());
    for (auto it = set.updateListReverse.constBegin(); it != set.updateListReverse.constEnd(); ++it)
        consider(it.key());
    for (auto it = set.deleteListReverse.constBegin(); it != set.deleteListReverse.constEnd(); ++it)
        consider(it.key());
    if (highest != counter) {
        platform::debugLine("RecipeElementList -> ultimo codice corretto da " + std::to_string(counter) + " a "
                            + std::to_string(highest));
        counter = highest;
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

// Reads one list file. Each container is taken as a whole or not at all, so a
// truncated file keeps everything before the damage.
void readSet(const QString &file, const RecipeSet &set, uint32_t floor)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QDataStream in(&f);
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
    repairCounter(set.lastUsedCode, set, floor);
}

bool insertInto(RecipeSet set, QMap<QString, uint> &total, const QString &name, const QString &user)
{
    const uint code = ++set.lastUsedCode;
    const uint t = now();
    set.updateList[t] = code;
    set.updateListReverse[code] = t;
    set.userUpdateList[code] = user;
    set.nameList[name] = code;
    total[name] = code;
    set.nameListReverse[code] = name;
    return true;
}

bool updateIn(RecipeSet set, QMap<QString, uint> &total, const QString &name, const QString &user, uint code)
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
    set.updateList[t] = code;
    set.userUpdateList[code] = user;
    dropNameIfOwned(set.nameList, previousName, code);
    dropNameIfOwned(total, previousName, code);
    set.nameList[name] = code;
    total[name] = code;
    set.nameListReverse[code] = name;
    return true;
}

bool removeFrom(RecipeSet set, QMap<QString, uint> &total, uint code, const QString &user)
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
    set.deleteList[t] = code;
    set.deleteListReverse[code] = t;
    return true;
}

} // namespace

namespace {

RecipeSet userSet(RecipeElementList &l)
{
    return RecipeSet{l.updateList,     l.updateListReverse, l.userUpdateList,    l.recipeNameList,
                     l.recipeNameListReverse, l.deleteList, l.deleteListReverse, l.lastUsedRecipeCode};
}

RecipeSet defaultSet(RecipeElementList &l)
{
    return RecipeSet{l.updateListDefault,           l.updateListReverseDefault, l.userUpdateListDefault,
                     l.recipeNameListDefault,       l.recipeNameListReverseDefault, l.deleteListDefault,
                     l.deleteListReverseDefault,    l.lastUsedRecipeCodeDefault};
}

} // namespace

RecipeElementList::RecipeElementList(const QString &type) : workingType(type) {}

bool RecipeElementList::insertNewElement(const QString &name, const QString &user)
{
    return insertInto(userSet(*this), recipeNameListTotal, name, user);
}

bool RecipeElementList::insertNewElementDefault(const QString &name, const QString &user)
{
    return insertInto(defaultSet(*this), recipeNameListTotal, name, user);
}

bool RecipeElementList::updateElement(const QString &name, const QString &user, uint code)
{
    return updateIn(userSet(*this), recipeNameListTotal, name, user, code);
}

bool RecipeElementList::updateElementDefault(const QString &name, const QString &user, uint code)
{
    return updateIn(defaultSet(*this), recipeNameListTotal, name, user, code);
}

bool RecipeElementList::removeElement(uint code, const QString &user)
{
    return removeFrom(userSet(*this), recipeNameListTotal, code, user);
}

bool RecipeElementList::removeElementDefault(uint code, const QString &user)
{
    return removeFrom(defaultSet(*this), recipeNameListTotal, code, user);
}

QString RecipeElementList::generateId(const QString &name, bool isDefault, const QString &user)
{
    const auto it = recipeNameListTotal.constFind(name);
    if (it == recipeNameListTotal.constEnd()) {
        if (isDefault) {
            insertNewElementDefault(name, user);
            return QString::number(lastUsedRecipeCodeDefault);
        }
        insertNewElement(name, user);
        return QString::number(lastUsedRecipeCode);
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
    return recipeNameListTotal.keys();
}

bool RecipeElementList::contains(uint code) const
{
    return isUserCode(code) ? recipeNameListReverse.contains(code) : recipeNameListReverseDefault.contains(code);
}

bool RecipeElementList::contains(const QString &name) const
{
    return recipeNameListTotal.contains(name);
}

QString RecipeElementList::getId(const QString &name) const
{
    return QString::number(recipeNameListTotal.value(name, 0));
}

bool RecipeElementList::isDefault(const QString &name) const
{
    const auto it = recipeNameListTotal.constFind(name);
    return it != recipeNameListTotal.constEnd() && !isUserCode(it.value());
}

QString RecipeElementList::getRecipeName(uint code) const
{
    return isUserCode(code) ? recipeNameListReverse.value(code) : recipeNameListReverseDefault.value(code);
}

QString RecipeElementList::getRecipeName(const QString &code) const
{
    return getRecipeName(codeFromText(code));
}

uint32_t RecipeElementList::getRecipeUpdate(uint code) const
{
    const QMap<uint, uint> &changed = isUserCode(code) ? updateListReverse : updateListReverseDefault;
    const QMap<uint, uint> &deleted = isUserCode(code) ? deleteListReverse : deleteListReverseDefault;
    const auto c = changed.constFind(code);
    if (c != changed.constEnd())
        return c.value();
    return deleted.value(code, 0);
}

uint32_t RecipeElementList::getRecipeUpdate(const QString &code) const
{
    return getRecipeUpdate(codeFromText(code));
}

QList<uint> RecipeElementList::getAllUpdateRecipe(uint32_t since) const
{
    return changedSince(updateListReverse, since)
           + changedSince(updateListReverseDefault, since);
}

QList<uint> RecipeElementList::getAllDeleteRecipe(uint32_t since) const
{
    return changedSince(deleteListReverse, since)
           + changedSince(deleteListReverseDefault, since);
}

uint32_t RecipeElementList::getLastUpdate() const
{
    return std::max({newestKey(updateList), newestKey(updateListDefault), newestKey(deleteList),
                     newestKey(deleteListDefault)});
}

void RecipeElementList::mergeList()
{
    recipeNameListTotal = recipeNameList;
    for (auto it = recipeNameListDefault.constBegin(); it != recipeNameListDefault.constEnd(); ++it)
        recipeNameListTotal.insert(it.key(), it.value());
}

QString RecipeElementList::userFilePath() const
{
    return QString::fromStdString(platform::path(save_base_path)) + workingType + "/recipes.list";
}

QString RecipeElementList::defaultFilePath() const
{
    return QString::fromStdString(platform::path(save_base_path)) + workingType + "/recipes_default.list";
}

bool RecipeElementList::Save()
{
    return writeSet(userFilePath(), userSet(*this));
}

bool RecipeElementList::SaveDefault()
{
    return writeSet(defaultFilePath(), defaultSet(*this));
}

void RecipeElementList::Load()
{
    readSet(userFilePath(), userSet(*this), LAST_DEFAULT_CODE);
    readSet(defaultFilePath(), defaultSet(*this), 0);
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
