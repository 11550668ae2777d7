#pragma once
#include "platform/FileReplace.h"

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

// Writes the parts to `path` + ".part" and renames that over `path` (replaceFileThrough).
bool replaceFileWhole(const std::string& path, const FilePart* parts, size_t count);
bool replaceFileWhole(const std::string& path, std::initializer_list<FilePart> parts);

} // namespace vantrel
