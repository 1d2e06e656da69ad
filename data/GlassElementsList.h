#pragma once
// Index of the registered beakers, keyed by beaker code: when each was last
// changed and by whom, and when it was deleted, so that the remote
// application can ask for everything changed since its last synchronisation.
// Built like the recipe lists, stored in "/home/root/glasses//glass.list".
//
// The screens and the remote interpreter both change it, so every operation
// is locked.

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <mutex>
#include <string>

class GlassElementsList
{
public:
    GlassElementsList() = default;
    GlassElementsList(const GlassElementsList &) = delete;
    GlassElementsList &operator=(const GlassElementsList &) = delete;

    bool insertNewElement(const QString &code, const QString &user);
    bool updateElement(const QString &code, const QString &user);
    bool removeElement(const QString &code, const QString &user);

    // Registered codes in code order.
    QStringList getGlassCodeList() const;
    bool contains(const QString &code) const;
    // Last change time, else deletion time, else 0.
    uint32_t getGlassUpdate(const QString &code) const;
    // Codes changed (deleted) at or after `since`, newest first.
    QStringList getAllUpdateGlass(uint32_t since) const;
    QStringList getAllDeleteGlass(uint32_t since) const;
    uint32_t getLastUpdate() const;
    // The user who made the last change of the code; empty when unknown.
    QString getUser(const QString &code) const;

    bool Save();
    // False when the file is missing or damaged; the registry then stays as it was.
    bool Load();

    static std::string folderPath();
    static std::string filePath();

private:
    mutable std::mutex m;
    QMap<uint, QString> updateList;        // time of last change -> code
    QMap<QString, uint> updateListReverse; // code -> time of last change
    QHash<QString, QString> userUpdateList; // code -> who made the last change
    QMap<uint, QString> deleteList;        // time of deletion -> code
    QMap<QString, uint> deleteListReverse; // code -> time of deletion
};
