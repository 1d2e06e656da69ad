#pragma once
// Crash-safe file replacement: the board may lose power at any moment, so a
// stored file is never rewritten in place. The new content goes to a
// temporary file in the same folder, is forced to storage, and is renamed
// over the old file; the folder is then synced so the rename itself survives.
// After a power cut the file holds either the old or the new content.
// A test may divert these writes to memory (platform/filestore.h).

#include <cstddef>
#include <string>

namespace platform {

// Returns false (and a reason in `error`, if given) when the file could not
// be replaced; the old content is then untouched.
bool writeFileAtomic(const std::string &path, const void *data, std::size_t size,
                     std::string *error = nullptr);
bool writeFileAtomic(const std::string &path, const std::string &content,
                     std::string *error = nullptr);

// Removes the temporary files that writes cut short by a power cut leave
// behind ("<name>.tmpXXXXXX") in `folder` and its subfolders down to `depth`
// levels. Returns how many were removed. Run at start-up, before any write.
int removeStaleTemporaries(const std::string &folder, int depth = 3);

// For tests and fuzzing only: with false, stored files are still replaced
// whole through a temporary file, but nothing is forced to storage (no fsync,
// no "sync" command), so a run can write thousands of files a second to a
// memory-backed folder. Never switched off by the program itself.
void setDurableWritesForTests(bool durable);
// Whether writes are forced to storage (true unless switched off above or the
// stored files are in memory).
bool durableWrites();

} // namespace platform
