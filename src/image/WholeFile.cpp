#include "WholeFile.h"

#include <cstdio>

namespace vantrel {

bool writeWholeFile(const std::string& path, std::initializer_list<FilePart> parts)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = true;
    for (const FilePart& part : parts)
        written = written && std::fwrite(part.data, 1, part.size, file) == part.size;
    written = std::fclose(file) == 0 && written;
    if (!written)
        std::remove(path.c_str());
    return written;
}

} // namespace vantrel
