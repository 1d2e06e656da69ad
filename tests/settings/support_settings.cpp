#include "support_settings.h"

#include "TempRoot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

QString builtLanguagesDir()
{
    // Test executables live in <build>/tests, the compiled translations in
    // <build>/languages.
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../languages")).absolutePath();
}

bool installBuiltLanguages(const TempRoot &root)
{
    const QString target = root.path(QStringLiteral("/home/root/languages"));
    if (!QDir().mkpath(target))
        return false;
    const QDir source(builtLanguagesDir());
    const QStringList files = source.entryList({QStringLiteral("*.qm"), QStringLiteral("info_lang.txt")}, QDir::Files);
    if (!files.contains(QStringLiteral("italiano_it.qm")) || !files.contains(QStringLiteral("info_lang.txt")))
        return false;
    for (const QString &f : files) {
        QFile::remove(target + QLatin1Char('/') + f);
        if (!QFile::copy(source.filePath(f), target + QLatin1Char('/') + f))
            return false;
    }
    return true;
}
