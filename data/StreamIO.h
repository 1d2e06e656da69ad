#pragma once
// Bounded readers for Qt data streams of stored files. Stored files are
// untrusted (power cuts, hand edits): the toolkit's own container readers
// reserve memory for whatever count the file claims, so a damaged count could
// exhaust memory. These read element by element and stop at the first damage.

#include <QDataStream>
#include <QString>
#include <QStringList>

namespace StreamIO {

// Reads a QMap or QHash as the toolkit writes it. On success replaces `out`;
// on damage leaves `out` as it was and returns false.
template <typename Map>
bool readMap(QDataStream &in, Map &out)
{
    if (in.status() != QDataStream::Ok)
        return false;
    quint32 n = 0;
    in >> n;
    Map read;
    for (quint32 i = 0; i < n && in.status() == QDataStream::Ok; ++i) {
        typename Map::key_type key;
        typename Map::mapped_type value;
        in >> key >> value;
        if (in.status() == QDataStream::Ok)
            read.insert(key, value);
    }
    if (in.status() != QDataStream::Ok)
        return false;
    out = read;
    return true;
}

// Reads a QStringList as the toolkit writes it; same contract as readMap.
inline bool readStringList(QDataStream &in, QStringList &out)
{
    if (in.status() != QDataStream::Ok)
        return false;
    quint32 n = 0;
    in >> n;
    QStringList read;
    for (quint32 i = 0; i < n && in.status() == QDataStream::Ok; ++i) {
        QString s;
        in >> s;
        if (in.status() == QDataStream::Ok)
            read.append(s);
    }
    if (in.status() != QDataStream::Ok)
        return false;
    out = read;
    return true;
}

} // namespace StreamIO
