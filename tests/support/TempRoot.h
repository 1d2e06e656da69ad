#pragma once
// A throw-away sandbox root: FROSTPANEL_ROOT points at a fresh folder for the
// lifetime of the object, with the board's usual folders created inside.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

class TempRoot
{
public:
    TempRoot() : previous(qgetenv("FROSTPANEL_ROOT")), hadPrevious(qEnvironmentVariableIsSet("FROSTPANEL_ROOT"))
    {
        qputenv("FROSTPANEL_ROOT", dir.path().toLocal8Bit());
        for (const char *folder : {"/home/root", "/mnt", "/dev"})
            mkpath(folder);
    }
    ~TempRoot()
    {
        if (hadPrevious)
            qputenv("FROSTPANEL_ROOT", previous);
        else
            qunsetenv("FROSTPANEL_ROOT");
    }
    TempRoot(const TempRoot &) = delete;
    TempRoot &operator=(const TempRoot &) = delete;

    QString root() const { return dir.path(); }
    // `absolute` ("/home/root/x") inside this root.
    QString path(const QString &absolute) const { return dir.path() + absolute; }
    // Creates the folders of `absolute` inside this root.
    bool mkpath(const QString &absolute) const { return QDir().mkpath(path(absolute)); }
    bool writeFile(const QString &absolute, const QByteArray &content) const
    {
        QDir().mkpath(QFileInfo(path(absolute)).absolutePath());
        QFile f(path(absolute));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
    }
    QByteArray readFile(const QString &absolute) const
    {
        QFile f(path(absolute));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Every file below the root, hidden ones too, by its path inside the
    // root ("?" for one that cannot be read).
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> all;
        for (QDirIterator it(root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            QFile f(it.next());
            all[f.fileName().mid(root().size())] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?");
        }
        return all;
    }

private:
    QTemporaryDir dir;
    QByteArray previous;
    bool hadPrevious = false;
};
