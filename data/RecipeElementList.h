#pragma once
// Index of the stored recipes of one function (milling, whipping, cutting).
//
// It hands out recipe codes, maps names to codes and back, and records when
// and by whom each recipe was last changed or deleted, so that the remote
// application can ask for everything changed since its last synchronisation.
// Two sets live side by side: user recipes (codes from 10000 up) and factory
// default recipes (codes 1 to 9999). Times are seconds since the epoch.

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <mutex>
#include <string>

// Declared for single entries; the lists themselves do not use it.
class RecipeElement
{
public:
    uint32_t lastUpdateDate = 0;
};

class RecipeElementList
{
public:
    explicit RecipeElementList(const QString &workingType);
    explicit RecipeElementList(const char *workingType) : RecipeElementList(QString::fromUtf8(workingType)) {}
    explicit RecipeElementList(const std::string &workingType)
        : RecipeElementList(QString::fromStdString(workingType))
    {
    }
    RecipeElementList(const RecipeElementList &) = delete;
    RecipeElementList &operator=(const RecipeElementList &) = delete;

    bool insertNewElement(const QString &name, const QString &user);
    bool insertNewElementDefault(const QString &name, const QString &user);
    bool updateElement(const QString &name, const QString &user, uint code);
    bool updateElementDefault(const QString &name, const QString &user, uint code);
    bool removeElement(uint code, const QString &user);
    bool removeElementDefault(uint code, const QString &user);

    // Code of name as decimal text: registers a new recipe, or refreshes the
    // existing entry when the name is already known.
    QString generateId(const QString &name, bool isDefault, const QString &user);

    QStringList getRecipesNameList() const;
    bool contains(uint code) const;
    bool contains(const QString &name) const;
    bool contains(const char *name) const { return contains(QString::fromUtf8(name)); }
    bool contains(const std::string &name) const { return contains(QString::fromStdString(name)); }
    // "0" when the name is unknown.
    QString getId(const QString &name) const;
    bool isDefault(const QString &name) const;
    QString getRecipeName(uint code) const;
    QString getRecipeName(const QString &code) const;
    uint32_t getRecipeUpdate(uint code) const;
    uint32_t getRecipeUpdate(const QString &code) const;

    // Codes changed (deleted) at or after `since`, newest first, user set
    // before default set.
    QList<uint> getAllUpdateRecipe(uint32_t since) const;
    QList<uint> getAllDeleteRecipe(uint32_t since) const;
    uint32_t getLastUpdate() const;

    void mergeList();

    // Each writes the list as it stands when the write starts; saves of one
    // file never overtake each other, so the newest state is what stays.
    bool Save();
    bool SaveDefault();
    void Load();

    QString userFilePath() const;
    QString defaultFilePath() const;

    // The stored containers of one set. Several changes may fall in the same
    // second, so the time-keyed maps hold one entry per code (equal keys
    // allowed, as the stream format permits).
    struct RecipeSet
    {
        QMultiMap<uint, uint> updateList;   // time of last change -> code
        QMap<uint, uint> updateListReverse; // code -> time of last change
        QHash<uint, QString> userUpdateList; // code -> who made the last change
        QMap<QString, uint> nameList;
        QMap<uint, QString> nameListReverse;
        QMultiMap<uint, uint> deleteList;   // time of deletion -> code
        QMap<uint, uint> deleteListReverse; // code -> time of deletion
        uint32_t lastUsedCode = 0;
    };
    // Everything the list holds, for a change spanning several calls that
    // must be undone as a whole when its files cannot be written.
    struct State
    {
        RecipeSet user;
        RecipeSet factory;
        QMap<QString, uint> total; // union of both name maps (factory wins); rebuilt by mergeList()
    };

    // Every operation locks the list; hold() keeps it locked across several
    // (the lock is recursive), so that no other thread changes it between a
    // snapshot() and a restore().
    std::unique_lock<std::recursive_mutex> hold() const;
    State snapshot() const;
    void restore(const State &state);

    // The names of the factory set, in name order.
    QStringList getDefaultRecipesNameList() const;

private:
    mutable std::recursive_mutex m;
    State s;
    QString workingType;
};

// The greatest last-change time of the three recipe lists and the beaker
// registry: the remote application's synchronisation point.
uint32_t getLastUpdateDB();
