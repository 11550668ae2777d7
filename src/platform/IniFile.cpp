#include "IniFile.h"

#include "platform/FileReplace.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace vantrel {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string> sectionOf(const std::string& line)
{
    const std::string text = trimmed(line);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']')
        return std::nullopt;
    return trimmed(text.substr(1, text.size() - 2));
}

bool isKeyLine(const std::string& line, const std::string& key, std::string* value = nullptr)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos || !equalsIgnoringCase(trimmed(line.substr(0, eq)), key))
        return false;
    if (value)
        *value = trimmed(line.substr(eq + 1));
    return true;
}

// Where a section's lines lie: [begin, end) after its header; begin is npos when missing.
struct SectionRange {
    size_t header = std::string::npos;
    size_t end = 0;
};

SectionRange findSection(const std::vector<std::string>& lines, const std::string& section)
{
    SectionRange range;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(lines[i]);
        if (!name)
            continue;
        if (range.header != std::string::npos)
            return {range.header, i};
        if (equalsIgnoringCase(*name, section))
            range.header = i;
    }
    range.end = lines.size();
    return range;
}

// Sets one key in the lines of a file, adding its section when missing.
void setKey(std::vector<std::string>& lines, const std::string& section, const IniFile::Entry& entry)
{
    const std::string line = entry.first + "=" + entry.second;
    const auto range = findSection(lines, section);
    if (range.header == std::string::npos) {
        lines.push_back("[" + section + "]");
        lines.push_back(line);
        return;
    }
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (isKeyLine(lines[i], entry.first)) {
            lines[i] = line;
            return;
        }
    }
    // A new key goes after the section's last non-blank line.
    size_t at = range.end;
    while (at > range.header + 1 && trimmed(lines[at - 1]).empty())
        --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> IniFile::load() const
{
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IniFile::store(const std::vector<std::string>& lines) const
{
    std::string contents;
    for (const auto& line : lines)
        contents += line + "\r\n";
    return replaceFile(path_, contents);
}

std::optional<std::string> IniFile::read(const std::string& section, const std::string& key) const
{
    const auto lines = load();
    const auto range = findSection(lines, section);
    if (range.header == std::string::npos)
        return std::nullopt;
    std::string value;
    for (size_t i = range.header + 1; i < range.end; ++i)
        if (isKeyLine(lines[i], key, &value))
            return value;
    return std::nullopt;
}

bool IniFile::write(const std::string& section, const std::string& key, const std::string& value)
{
    return write(section, {{key, value}});
}

bool IniFile::write(const std::string& section, const std::vector<Entry>& entries)
{
    auto lines = load();
    for (const Entry& entry : entries)
        setKey(lines, section, entry);
    return store(lines);
}

bool IniFile::remove(const std::string& section, const std::string& key)
{
    auto lines = load();
    const auto range = findSection(lines, section);
    if (range.header == std::string::npos)
        return true;
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (isKeyLine(lines[i], key)) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            return store(lines);
        }
    }
    return true;
}

} // namespace vantrel
