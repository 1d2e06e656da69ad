#pragma once
// What the settings tests share: the app tests' helpers and the translations
// this build compiled (<build>/languages, beside the test executables' folder).

#include "../app/support_app.h"

#include <QDir>

inline QString builtLanguagesDir()
{
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../languages")).absolutePath();
}

// Copies them (and info_lang.txt) into the root's languages folder.
inline bool installBuiltLanguages(const TempRoot &root)
{
    const QString target = root.path(QStringLiteral("/home/root/languages/"));
    const QDir source(builtLanguagesDir());
    const QStringList files = source.entryList({QStringLiteral("*.qm"), QStringLiteral("info_lang.txt")}, QDir::Files);
    if (!QDir().mkpath(target) || !files.contains(QStringLiteral("italiano_it.qm"))
        || !files.contains(QStringLiteral("info_lang.txt")))
        return false;
    for (const QString &f : files) {
        QFile::remove(target + f);
        if (!QFile::copy(source.filePath(f), target + f))
            return false;
    }
    return true;
}
