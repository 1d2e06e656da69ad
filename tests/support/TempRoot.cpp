#include "TempRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempRoot::TempRoot() : previous(qgetenv("FROSTPANEL_ROOT")), hadPrevious(qEnvironmentVariableIsSet("FROSTPANEL_ROOT"))
{
    qputenv("FROSTPANEL_ROOT", dir.path().toLocal8Bit());
    for (const char *folder : {"/home/root", "/mnt", "/dev"})
        mkpath(folder);
}

TempRoot::~TempRoot()
{
    if (hadPrevious)
        qputenv("FROSTPANEL_ROOT", previous);
    else
        qunsetenv("FROSTPANEL_ROOT");
}

bool TempRoot::mkpath(const QString &absolute) const
{
    return QDir().mkpath(path(absolute));
}

bool TempRoot::writeFile(const QString &absolute, const QByteArray &content) const
{
    QDir().mkpath(QFileInfo(path(absolute)).absolutePath());
    QFile f(path(absolute));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

QByteArray TempRoot::readFile(const QString &absolute) const
{
    QFile f(path(absolute));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
