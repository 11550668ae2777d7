#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

namespace vantrel {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// A file open for the length of one operation.
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct FilePart {
    const uint8_t* data;
    size_t size;
};

// Creates or overwrites the file with the parts one after the other. A file that cannot be
// written whole (a full disk) is removed, so no broken picture is left behind.
bool writeWholeFile(const std::string& path, std::initializer_list<FilePart> parts);
// The same for `count` parts in an array.
bool writeWholeFile(const std::string& path, const FilePart* parts, size_t count);

// What a file being replaced is written to before it is renamed over it.
inline constexpr char partSuffix[] = ".part";

// Writes the parts to `path` + ".part" and renames that over `path`, so that `path` holds
// either its old content or the whole new one, even when the program is killed on the way.
// The temporary file is removed on failure.
bool replaceFileWhole(const std::string& path, const FilePart* parts, size_t count);
bool replaceFileWhole(const std::string& path, std::initializer_list<FilePart> parts);

} // namespace vantrel
