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

    bool Save();
    bool SaveDefault();
    void Load();

    QString userFilePath() const;
    QString defaultFilePath() const;

    // ---- stored state, user set ----
    QMap<uint, uint> updateList;        // time of last change -> code
    QMap<uint, uint> updateListReverse; // code -> time of last change
    QHash<uint, QString> userUpdateList; // code -> who made the last change
    QMap<QString, uint> recipeNameList;
    QMap<uint, QString> recipeNameListReverse;
    QMap<uint, uint> deleteList;        // time of deletion -> code
    QMap<uint, uint> deleteListReverse; // code -> time of deletion
    // ---- stored state, default set ----
    QMap<uint, uint> updateListDefault;
    QMap<uint, uint> updateListReverseDefault;
    QHash<uint, QString> userUpdateListDefault;
    QMap<QString, uint> recipeNameListDefault;
    QMap<uint, QString> recipeNameListReverseDefault;
    QMap<uint, uint> deleteListDefault;
    QMap<uint, uint> deleteListReverseDefault;

    // Union of both name maps (default wins); rebuilt by mergeList().
    QMap<QString, uint> recipeNameListTotal;

    uint32_t lastUsedRecipeCode = 9999;
    uint32_t lastUsedRecipeCodeDefault = 0;
    QString workingType;
};

// The greatest last-change time of the three recipe lists and the beaker
// registry: the remote application's synchronisation point.
uint32_t getLastUpdateDB();
