#pragma once
// How often threads of this process went to sleep: a thread that waits for
// its work sleeps once per piece of it, one that polls once per poll.

#include <QDir>
#include <QFile>

#include <set>

inline std::set<int> threadIds()
{
    std::set<int> ids;
    for (const QString &id : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ids.insert(id.toInt());
    return ids;
}

// Those of `ids` taken together; -1 when the kernel tells none of them.
inline long wakeUps(const std::set<int> &ids)
{
    long total = -1;
    for (int id : ids) {
        QFile f(QStringLiteral("/proc/self/task/%1/status").arg(id));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                total = qMax(total, 0L) + line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return total;
}

// The threads started since `before` was taken.
inline std::set<int> threadsSince(const std::set<int> &before)
{
    std::set<int> added;
    for (int id : threadIds())
        if (!before.count(id))
            added.insert(id);
    return added;
}
