#pragma once
// A small RAM file system mounted over a folder of a sandbox root, to run
// the stores against a full flash. Mounting needs privileges: check
// mounted() and skip the test when it is false. Unmounted when destroyed.

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class SmallDisk
{
public:
    // size: as tmpfs takes it, e.g. "256k".
    SmallDisk(const QString &folder, const char *size) : folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray options = QByteArray("size=") + size + ",mode=0755";
        mounted_ = ::mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(folder.toLocal8Bit().constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }

    // Fills every free page with filler files (one page each) until the
    // file system refuses more; returns how many were written.
    int fill()
    {
        const QByteArray page(4096, 'x');
        for (;; ++fillers) {
            const QByteArray name = fillerName(fillers).toLocal8Bit();
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                break;
            const ssize_t n = ::write(fd, page.constData(), size_t(page.size()));
            ::close(fd);
            if (n != page.size()) {
                ::unlink(name.constData());
                break;
            }
        }
        return fillers;
    }
    // Frees `pages` pages by removing filler files.
    void release(int pages)
    {
        for (; pages > 0 && fillers > 0; --pages)
            ::unlink(fillerName(--fillers).toLocal8Bit().constData());
    }
    // Whether `path` is a filler file of this disk.
    static bool isFiller(const QString &path) { return path.contains(QLatin1String("/.filler-")); }

private:
    QString fillerName(int i) const { return folder + QStringLiteral("/.filler-%1").arg(i); }

    QString folder;
    bool mounted_ = false;
    int fillers = 0;
};
