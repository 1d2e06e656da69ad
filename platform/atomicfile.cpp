#include "platform/atomicfile.h"

#include "platform/filestore.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<bool> durable{true};

bool fail(std::string *error, const std::string &what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

bool writeFileAtomic(const std::string &path, const void *data, std::size_t size,
                     std::string *error)
{
    if (memoryFilesInUse())
        return detail::writeMemoryFile(path, data, size, error);
    std::string tmpl = path + ".tmpXXXXXX";
    const int fd = mkstemp(&tmpl[0]);
    if (fd < 0)
        return fail(error, "cannot create " + tmpl);

    // mkstemp creates 0600; stored files are ordinary readable files.
    fchmod(fd, 0644);

    const char *p = static_cast<const char *>(data);
    std::size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int saved = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            errno = saved;
            return fail(error, "cannot write " + tmpl);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (durable && ::fsync(fd) != 0) {
        const int saved = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        errno = saved;
        return fail(error, "cannot sync " + tmpl);
    }
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(tmpl.c_str());
        errno = saved;
        return fail(error, "cannot close " + tmpl);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(tmpl.c_str());
        errno = saved;
        return fail(error, "cannot rename over " + path);
    }
    if (!durable)
        return true;
    const int dfd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

namespace {

// Names writeFileAtomic gives its temporaries: ".tmp" and six mkstemp characters.
bool isTemporaryName(const std::string &name)
{
    const std::size_t at = name.size() >= 10 ? name.size() - 10 : std::string::npos;
    if (at == std::string::npos || at == 0 || name.compare(at, 4, ".tmp") != 0)
        return false;
    for (std::size_t i = at + 4; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

} // namespace

int removeStaleTemporaries(const std::string &folder, int depth)
{
    if (memoryFilesInUse())
        return 0; // the store in memory holds no temporaries
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string full = folder + "/" + name;
        struct stat st {};
        if (::lstat(full.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth > 0)
                removed += removeStaleTemporaries(full, depth - 1);
        } else if (S_ISREG(st.st_mode) && isTemporaryName(name) && ::unlink(full.c_str()) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

void setDurableWritesForTests(bool on)
{
    durable = on;
}

bool durableWrites()
{
    return durable && !memoryFilesInUse();
}

bool writeFileAtomic(const std::string &path, const std::string &content, std::string *error)
{
    return writeFileAtomic(path, content.data(), content.size(), error);
}

} // namespace platform
