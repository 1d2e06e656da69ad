#include "platform/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

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
    if (::fsync(fd) != 0) {
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
    const int dfd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool writeFileAtomic(const std::string &path, const std::string &content, std::string *error)
{
    return writeFileAtomic(path, content.data(), content.size(), error);
}

} // namespace platform
