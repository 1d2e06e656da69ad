#pragma once
// A throw-away sandbox root: FROSTPANEL_ROOT points at a fresh folder for the
// lifetime of the object, with the board's usual folders created inside.

#include <QString>
#include <QTemporaryDir>

class TempRoot
{
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot &) = delete;
    TempRoot &operator=(const TempRoot &) = delete;

    QString root() const { return dir.path(); }
    // `absolute` ("/home/root/x") inside this root.
    QString path(const QString &absolute) const { return dir.path() + absolute; }
    // Creates the folders of `absolute` inside this root.
    bool mkpath(const QString &absolute) const;
    bool writeFile(const QString &absolute, const QByteArray &content) const;
    QByteArray readFile(const QString &absolute) const;

private:
    QTemporaryDir dir;
    QByteArray previous;
    bool hadPrevious = false;
};
