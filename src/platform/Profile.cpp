#include "Profile.h"

#include "platform/Paths.h"

#include <charconv>

namespace vantrel {

namespace {
constexpr size_t valueBufferSize = 255;
}

CProfile::CProfile() : CProfile(programFile("wyb30.ini")) {}

CProfile::CProfile(const std::string& iniPath)
    : path(iniPath), directory(folderOf(iniPath)), file_(iniPath)
{
}

bool CProfile::ReadInt(const std::string& section, const std::string& key, int& value) const
{
    std::string text;
    if (!ReadString(section, key, text) || text.empty())
        return false;
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || last != end)
        return false;
    value = parsed;
    return true;
}

bool CProfile::WriteInt(const std::string& section, const std::string& key, int value)
{
    return file_.write(section, key, std::to_string(value));
}

bool CProfile::WriteString(const std::string& section, const std::string& key,
                           const std::string& text)
{
    return file_.write(section, key, text);
}

bool CProfile::WriteStrings(const std::string& section, const std::vector<IniFile::Entry>& entries)
{
    return file_.write(section, entries);
}

bool CProfile::ReadString(const std::string& section, const std::string& key,
                          std::string& text) const
{
    const auto value = file_.read(section, key);
    if (!value)
        return false;
    text = value->substr(0, valueBufferSize);
    return true;
}

bool CProfile::DeleteKey(const std::string& section, const std::string& key)
{
    return file_.remove(section, key);
}

int CProfile::intOr(const std::string& section, const std::string& key, int fallback) const
{
    int value = fallback;
    return ReadInt(section, key, value) ? value : fallback;
}

} // namespace vantrel
