#include "TempRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempRoot::TempRoot()
{
    hadPrevious = qEnvironmentVariableIsSet("FROSTPANEL_ROOT");
    previous = qgetenv("FROSTPANEL_ROOT");
    qputenv("FROSTPANEL_ROOT", dir.path().toLocal8Bit());
    mkpath("/home/root");
    mkpath("/mnt");
    mkpath("/dev");
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
    const QString p = path(absolute);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(content) == content.size();
}

QByteArray TempRoot::readFile(const QString &absolute) const
{
    QFile f(path(absolute));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
