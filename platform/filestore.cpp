#include "platform/filestore.h"

#include "platform/atomicfile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {

namespace {

bool fail(std::string *error, int code, const std::string &what = std::string())
{
    if (error)
        *error = (what.empty() ? std::string() : what + ": ") + std::strerror(code);
    errno = code;
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

// ---- the store in memory ------------------------------------------------------------

std::atomic<bool> inMemory{false};
std::atomic<std::uint64_t> changes{0};

struct MemoryStore
{
    std::mutex m;
    std::unordered_map<std::string, std::string> files;
    std::unordered_set<std::string> folders;

    // An empty path names nothing, as on the file system.
    bool isFolder(const std::string &p) const { return p == "/" || p == "." || folders.count(p) != 0; }
    bool isFile(const std::string &p) const { return files.count(p) != 0; }
};

MemoryStore &memory()
{
    static MemoryStore *store = new MemoryStore; // outlives every static user
    return *store;
}

// Whether the path has no empty, "." or ".." parts, as the stores' paths have.
bool isPlain(const std::string &path)
{
    if (path.empty() || path.front() != '/' || (path.size() > 1 && path.back() == '/'))
        return false;
    for (std::size_t at = 0; at < path.size(); ++at) {
        if (path[at] != '/')
            continue;
        // A part after this slash: empty, "." or ".."?
        const std::size_t end = std::min(path.find('/', at + 1), path.size());
        const std::size_t length = end - at - 1;
        if ((length == 0 && path.size() > 1) || (length <= 2 && path.compare(at + 1, length, "..", length) == 0))
            return false;
    }
    return true;
}

// The path as the file system would resolve it without links: no empty or
// "." parts, ".." taking back the part before it.
std::string normalized(const std::string &path)
{
    if (isPlain(path))
        return path;
    const bool absolute = !path.empty() && path.front() == '/';
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? "/" : "") + parts[i];
    return out.empty() && !path.empty() ? "." : out;
}

bool memoryRead(const std::string &path, std::string &out, std::size_t limit, std::string *error)
{
    MemoryStore &s = memory();
    const std::string p = normalized(path);
    std::lock_guard<std::mutex> l(s.m);
    if (!p.empty() && s.isFolder(p))
        return fail(error, EISDIR);
    const auto it = s.files.find(p);
    if (it == s.files.end())
        return fail(error, ENOENT);
    out.assign(it->second, 0, std::min(limit, it->second.size()));
    return true;
}

bool memoryRemove(const std::string &path, std::string *error)
{
    MemoryStore &s = memory();
    const std::string p = normalized(path);
    std::lock_guard<std::mutex> l(s.m);
    if (!p.empty() && s.isFolder(p))
        return fail(error, EISDIR);
    if (s.files.erase(p) != 0)
        ++changes;
    return true;
}

bool memoryMakeFolder(const std::string &path)
{
    if (path.empty())
        return false;
    MemoryStore &s = memory();
    const std::string p = normalized(path);
    std::lock_guard<std::mutex> l(s.m);
    if (s.isFolder(p))
        return true;
    // Every folder on the way, parents first; a file in the way stops it.
    std::string part;
    for (std::size_t end = p.find('/', 1);; end = p.find('/', end + 1)) {
        part.assign(p, 0, end);
        if (s.isFile(part))
            return false;
        if (!s.isFolder(part)) {
            s.folders.insert(part);
            ++changes;
        }
        if (end == std::string::npos)
            return true;
    }
}

bool memoryRename(const std::string &from, const std::string &to, std::string *error)
{
    MemoryStore &s = memory();
    const std::string source = normalized(from);
    const std::string target = normalized(to);
    std::lock_guard<std::mutex> l(s.m);
    const auto it = s.files.find(source);
    if (it == s.files.end())
        return fail(error, s.isFolder(source) ? EISDIR : ENOENT);
    if (target.empty() || !s.isFolder(folderOf(target)))
        return fail(error, ENOENT);
    if (s.isFolder(target))
        return fail(error, EISDIR);
    if (source != target) {
        std::string content = std::move(it->second);
        s.files.erase(it);
        s.files[target] = std::move(content);
    }
    ++changes;
    return true;
}

// ---- the file system --------------------------------------------------------------

bool diskRead(const std::string &path, std::string &out, std::size_t limit, std::string *error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, errno);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(error, EISDIR);
    }
    // The size is a hint only: the file may change while it is read.
    const std::size_t hint = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    // One byte more, so that the end of the file is met without growing.
    out.resize(std::min(limit, hint + 1));
    std::size_t got = 0;
    while (got < limit) {
        if (got == out.size())
            out.resize(std::min(limit, out.size() * 2 + 1));
        const ssize_t n = ::read(fd, &out[got], out.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            out.clear();
            return fail(error, code);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(got);
    return true;
}

// As the toolkit's folder creation: the folder itself first, its parents only
// when they are missing.
bool diskMakeFolder(const std::string &path)
{
    const auto isFolder = [](const std::string &p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    if (errno == EEXIST)
        return isFolder(path);
    if (errno != ENOENT)
        return false;
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash < 1 || !diskMakeFolder(path.substr(0, slash)))
        return false;
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && isFolder(path);
}

} // namespace

bool readFile(const std::string &path, std::string &out, std::size_t limit, std::string *error)
{
    out.clear();
    return inMemory ? memoryRead(path, out, limit, error) : diskRead(path, out, limit, error);
}

bool fileExists(const std::string &path, bool danglingLinks)
{
    if (inMemory) {
        MemoryStore &s = memory();
        const std::string p = normalized(path);
        std::lock_guard<std::mutex> l(s.m);
        return !p.empty() && (s.isFolder(p) || s.isFile(p));
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 || (danglingLinks && ::lstat(path.c_str(), &st) == 0);
}

bool removeFile(const std::string &path, std::string *error)
{
    if (inMemory)
        return memoryRemove(path, error);
    // A dangling link is there to be removed too.
    if (!fileExists(path, true))
        return true;
    if (::unlink(path.c_str()) == 0)
        return true;
    return fail(error, errno);
}

bool makeFolder(const std::string &path)
{
    if (inMemory)
        return memoryMakeFolder(path);
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return !p.empty() && diskMakeFolder(p);
}

bool renameFile(const std::string &from, const std::string &to, std::string *error)
{
    if (inMemory)
        return memoryRename(from, to, error);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    return fail(error, errno);
}

void syncFolderOf(const std::string &path)
{
    if (!durableWrites())
        return;
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void useMemoryFilesForTests(bool on)
{
    clearMemoryFilesForTests();
    inMemory = on;
}

bool memoryFilesInUse()
{
    return inMemory;
}

void clearMemoryFilesForTests()
{
    MemoryStore &s = memory();
    std::lock_guard<std::mutex> l(s.m);
    if (s.files.empty() && s.folders.empty())
        return;
    s.files.clear();
    s.folders.clear();
    ++changes;
}

std::uint64_t memoryFileChanges()
{
    return changes;
}

namespace detail {

bool writeMemoryFile(const std::string &path, const void *data, std::size_t size, std::string *error)
{
    MemoryStore &s = memory();
    const std::string p = normalized(path);
    std::lock_guard<std::mutex> l(s.m);
    // The failures writeFileAtomic meets: no folder for the temporary file,
    // a folder where the file should go.
    if (!s.isFolder(folderOf(p)))
        return fail(error, ENOENT, "cannot create " + path + ".tmpXXXXXX");
    if (p.empty())
        return fail(error, ENOENT, "cannot rename over " + path);
    if (s.isFolder(p))
        return fail(error, EISDIR, "cannot rename over " + path);
    s.files[p].assign(static_cast<const char *>(data), size);
    ++changes;
    return true;
}

} // namespace detail

} // namespace platform
