#include "data/StoredFile.h"

#include "platform/atomicfile.h"
#include "platform/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace storedfile {

bool readAll(const std::string &path, QByteArray &out, qint64 maxBytes)
{
    out.clear();
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = f.size();
    if (size > maxBytes) {
        platform::debugLine("file too large, ignored: " + path);
        return false;
    }
    // Read one byte more than allowed so a file that grows meanwhile is noticed.
    out = f.read(maxBytes + 1);
    if (out.size() > maxBytes) {
        out.clear();
        platform::debugLine("file too large, ignored: " + path);
        return false;
    }
    return f.error() == QFileDevice::NoError;
}

bool writeAll(const std::string &path, const QByteArray &content)
{
    std::string error;
    if (platform::writeFileAtomic(path, content.constData(), static_cast<std::size_t>(content.size()),
                                  &error))
        return true;
    platform::debugLine("cannot write " + path + ": " + error);
    return false;
}

bool exists(const std::string &path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

bool removeFile(const std::string &path)
{
    const QString p = QString::fromStdString(path);
    if (!QFileInfo::exists(p) && !QFileInfo(p).isSymLink())
        return true;
    return QFile::remove(p);
}

bool makeFolder(const std::string &path)
{
    return QDir().mkpath(QString::fromStdString(path));
}

void prepare(QDataStream &s)
{
    s.setVersion(QDataStream::Qt_5_6);
    s.setByteOrder(QDataStream::BigEndian);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

Backup::Backup(const std::string &file) : path(file)
{
    existed = QFileInfo::exists(QString::fromStdString(file)) || QFileInfo(QString::fromStdString(file)).isSymLink();
    readable = existed && readAll(file, content);
}

bool Backup::restore() const
{
    if (!existed)
        return removeFile(path);
    if (!readable) {
        platform::debugLine("previous content unknown, left as it is: " + path);
        return false;
    }
    return writeAll(path, content);
}

} // namespace storedfile
