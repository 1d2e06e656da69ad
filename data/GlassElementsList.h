#pragma once
// Index of the registered beakers, keyed by beaker code: when each was last
// changed and by whom, and when it was deleted, so that the remote
// application can ask for everything changed since its last synchronisation.
// Built like the recipe lists, stored in "/home/root/glasses//glass.list".
//
// The screens and the remote interpreter both change it, so every operation
// is locked; a save writes the registry as it stands when the write starts,
// and saves never overtake each other, so the newest state is what stays.

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

    // Everything the registry holds. Several beakers may change in the same
    // second, so the time-keyed maps hold one entry per code (equal keys
    // allowed, as the stream format permits).
    struct State
    {
        QMultiMap<uint, QString> updateList;   // time of last change -> code
        QMap<QString, uint> updateListReverse; // code -> time of last change
        QHash<QString, QString> userUpdateList; // code -> who made the last change
        QMultiMap<uint, QString> deleteList;   // time of deletion -> code
        QMap<QString, uint> deleteListReverse; // code -> time of deletion
    };
    // hold() keeps the registry locked across several calls (the lock is
    // recursive), so that a change whose files cannot be written can be
    // undone with restore(snapshot()) without losing another thread's.
    std::unique_lock<std::recursive_mutex> hold() const;
    State snapshot() const;
    void restore(const State &state);

private:
    mutable std::recursive_mutex m;
    State s;
};
