#include "WholeFile.h"

#include <cstdio>

namespace vantrel {

bool writeWholeFile(const std::string& path, std::initializer_list<FilePart> parts)
{
    return writeWholeFile(path, parts.begin(), parts.size());
}

bool writeWholeFile(const std::string& path, const FilePart* parts, size_t count)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = true;
    for (size_t i = 0; i < count; ++i)
        written = written && std::fwrite(parts[i].data, 1, parts[i].size, file) == parts[i].size;
    written = std::fclose(file) == 0 && written;
    if (!written)
        std::remove(path.c_str());
    return written;
}

bool replaceFileWhole(const std::string& path, const FilePart* parts, size_t count)
{
    return replaceFileThrough(path, [&](const std::string& workFile) {
        return writeWholeFile(workFile, parts, count);
    });
}

bool replaceFileWhole(const std::string& path, std::initializer_list<FilePart> parts)
{
    return replaceFileWhole(path, parts.begin(), parts.size());
}

} // namespace vantrel
