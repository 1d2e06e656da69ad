#pragma once
// The file operations of the stores (recipes, beakers, settings, counters):
// read a whole file, replace it crash-safely (writeFileAtomic), remove it,
// check it, make its folder. They act on the real file system; a test or the
// fuzz target may switch them to a store in memory, where a run stores
// thousands of changes a second without a system call. The program itself
// never switches.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The first `limit` bytes of the file (all of a shorter one) into `out`.
// False, with the reason in `error` if given, when it cannot be opened or
// read (missing, a folder, unreadable). A caller that refuses larger files
// asks for one byte more than it takes.
bool readFile(const std::string &path, std::string &out, std::size_t limit, std::string *error = nullptr);

// Whether a file or folder is there. A link counts when its target is there,
// or with `danglingLinks` always.
bool fileExists(const std::string &path, bool danglingLinks = false);

// Removes a file; true when it is gone afterwards (removed now or never there).
bool removeFile(const std::string &path, std::string *error = nullptr);

// Creates the folder and its parents; true when it exists afterwards.
bool makeFolder(const std::string &path);

// Renames a file over another one in one step.
bool renameFile(const std::string &from, const std::string &to, std::string *error = nullptr);

// Forces the folder holding `path` to storage, so that a rename or removal in
// it survives a power cut. Nothing when writes are not durable.
void syncFolderOf(const std::string &path);

// For tests and fuzzing only: with true, the operations above and
// writeFileAtomic act on an empty store in memory instead of the file system
// (only "/" exists there; "//" and "." are resolved as on the file system,
// ".." as if the folder before it were there). With false, back to the file system. Writes to memory are not
// durable (durableWrites() is false meanwhile).
void useMemoryFilesForTests(bool on = true);
bool memoryFilesInUse();
// Empties the memory store again.
void clearMemoryFilesForTests();
// Counts every change to the memory store (file written, removed or renamed,
// folder made) since the program started: equal counts, nothing changed.
std::uint64_t memoryFileChanges();

namespace detail {
// writeFileAtomic's counterpart in memory.
bool writeMemoryFile(const std::string &path, const void *data, std::size_t size, std::string *error);
} // namespace detail

} // namespace platform
