#pragma once
#include <functional>
#include <string>

namespace vantrel {

// What a file being replaced is written to before it is renamed over it: `path` + ".part".
inline constexpr char partSuffix[] = ".part";

// Fills the work file it is given (created empty beside the file to replace); false when
// what it wrote is not whole.
using WorkFileWriter = std::function<bool(const std::string& workFile)>;

// Replaces the file at `path` with what `write` puts into the work file `path` + ".part",
// which is renamed over `path` only when `write` succeeded: `path` holds its old content or
// the whole new one, even after a kill. On failure (a full disk, a refused save) the old file
// stays as it was and only the work file is removed. A stale work file of an earlier run is
// replaced. The new file gets the old file's permissions, or the usual ones for a new file.
bool replaceFileThrough(const std::string& path, const WorkFileWriter& write);

// Replaces the file at `path` with `contents`, as above, but through a work file of a name of
// its own (`path` + ".XXXXXX"), synced to disk before the rename: settings files, which two
// programs may write at once.
bool replaceFile(const std::string& path, const std::string& contents);

} // namespace vantrel
