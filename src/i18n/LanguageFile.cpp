#include "LanguageFile.h"

#include "platform/Paths.h"

#include <fstream>
#include <iterator>

namespace vantrel {

namespace {

constexpr char lineEnd = '\n';
constexpr char fieldEnd = '\t';
constexpr char carriageReturn = '\r';
constexpr std::string_view commentMark = "$$";

FieldLine parseFields(std::string_view line, std::span<const size_t> maxLengths)
{
    FieldLine fields(maxLengths.size());
    size_t column = 0;
    size_t fieldStart = 0;
    for (size_t i = 0; i < line.size() && column < maxLengths.size(); ++i) {
        if (line[i] != fieldEnd && line[i] != carriageReturn)
            continue;
        const std::string_view field = line.substr(fieldStart, i - fieldStart);
        if (field.size() <= maxLengths[column])
            fields[column] = field;
        ++column;
        fieldStart = i + 1;
    }
    return fields;
}

} // namespace

std::vector<FieldLine> parseLanguageFile(std::string_view bytes,
                                         std::span<const size_t> maxLengths, size_t capacity)
{
    std::vector<FieldLine> lines;
    size_t start = 0;
    while (lines.size() < capacity) {
        const size_t end = bytes.find(lineEnd, start);
        if (end == std::string_view::npos)
            break;
        const std::string_view line = bytes.substr(start, end - start);
        if (!line.starts_with(commentMark))
            lines.push_back(parseFields(line, maxLengths));
        start = end + 1;
    }
    return lines;
}

bool readFileBytes(const std::string& path, std::string& bytes)
{
    if (!fileExists(path))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace vantrel
