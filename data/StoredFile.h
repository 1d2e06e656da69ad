#pragma once
// Reading and writing the small files the program keeps on flash.
//
// Reads are bounded (a damaged or foreign file must not exhaust memory) and
// writes go through platform::writeFileAtomic, so a power cut leaves either the
// old or the new content, never a half-written file. Everything goes through
// platform/filestore.h, so that tests and fuzzing can keep the files in memory.

#include <QByteArray>
#include <QDataStream>
#include <QString>

#include <string>

namespace storedfile {

// Largest file any of these stores reads back.
constexpr qint64 kMaxStoredFileSize = 4 * 1024 * 1024;

// The whole file into `out`; false when it is missing, unreadable or larger
// than maxBytes.
bool readAll(const std::string &path, QByteArray &out, qint64 maxBytes = kMaxStoredFileSize);
// The first maxBytes of the file (all of a shorter one), for a file read as far
// as its own content goes; false when it is missing or unreadable.
bool readStart(const std::string &path, QByteArray &out, qint64 maxBytes);

// Replaces the file crash-safely; false (with a debug line) on failure.
bool writeAll(const std::string &path, const QByteArray &content);

bool exists(const std::string &path);
// True when the file is gone afterwards (removed now or never there).
bool removeFile(const std::string &path);
// Creates the folder (and its parents); true when it exists afterwards.
bool makeFolder(const std::string &path);

// A data stream in the stored files' encoding (Qt 5.6 / version 17).
void prepare(QDataStream &s);

// A file as it was before a change, so that a change whose other part cannot
// be stored (the list that records it, say) can be taken back whole.
class Backup
{
public:
    explicit Backup(const std::string &path);
    // Puts the file back as it was, or removes it when there was none. False
    // (with a debug line) when that fails, or when the old content could not
    // be read and the file was left as it is.
    bool restore() const;

private:
    std::string path;
    bool existed = false;
    bool readable = false;
    QByteArray content;
};

} // namespace storedfile
