#pragma once
#include <string>

namespace vantrel {

// Replaces the file at `path` with `contents`: they are written to a new file in the same
// folder, which is then renamed over the old one. On any failure (a full disk, a folder that
// cannot be written) the old file stays as it was and the new one is removed. A new file gets
// the old file's permissions, or the usual ones for a file that did not exist.
bool replaceFile(const std::string& path, const std::string& contents);

} // namespace vantrel
