#include "data/StoredFile.h"

#include "platform/atomicfile.h"
#include "platform/filestore.h"
#include "platform/log.h"

namespace storedfile {

bool readAll(const std::string &path, QByteArray &out, qint64 maxBytes)
{
    out.clear();
    if (maxBytes < 0)
        return false;
    // One byte more than allowed, so that a larger file is noticed.
    std::string raw;
    if (!platform::readFile(path, raw, static_cast<std::size_t>(maxBytes) + 1))
        return false;
    if (static_cast<qint64>(raw.size()) > maxBytes) {
        platform::debugLine("file too large, ignored: " + path);
        return false;
    }
    out = QByteArray(raw.data(), static_cast<int>(raw.size()));
    return true;
}

bool readStart(const std::string &path, QByteArray &out, qint64 maxBytes)
{
    out.clear();
    std::string raw;
    if (maxBytes < 0 || !platform::readFile(path, raw, static_cast<std::size_t>(maxBytes)))
        return false;
    out = QByteArray(raw.data(), static_cast<int>(raw.size()));
    return true;
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
    return platform::fileExists(path);
}

bool removeFile(const std::string &path)
{
    return platform::removeFile(path);
}

bool makeFolder(const std::string &path)
{
    return platform::makeFolder(path);
}

void prepare(QDataStream &s)
{
    s.setVersion(QDataStream::Qt_5_6);
    s.setByteOrder(QDataStream::BigEndian);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

Backup::Backup(const std::string &file) : path(file)
{
    existed = platform::fileExists(file, true);
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
