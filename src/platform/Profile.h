#pragma once
#include "platform/IniFile.h"

#include <string>

namespace vantrel {

// The settings file "wyb30.ini" in the program folder, read and written key by key.
class CProfile {
public:
    CProfile(); // the program folder's wyb30.ini
    explicit CProfile(const std::string& path);

    // True when the key exists with a non-empty decimal value; `value` is left alone otherwise.
    bool ReadInt(const std::string& section, const std::string& key, int& value) const;
    // The writes answer false when the file could not be written; it then stays as it was.
    bool WriteInt(const std::string& section, const std::string& key, int value);
    bool WriteString(const std::string& section, const std::string& key, const std::string& text);
    // True when the key exists; `text` receives at most 255 characters of its value.
    bool ReadString(const std::string& section, const std::string& key, std::string& text) const;
    // Several keys of one section written together: a failure or a kill leaves none of them.
    bool WriteStrings(const std::string& section, const std::vector<IniFile::Entry>& entries);
    bool DeleteKey(const std::string& section, const std::string& key);

    // ReadInt with a fallback for a missing key.
    int intOr(const std::string& section, const std::string& key, int fallback) const;

    std::string path;
    std::string directory;

private:
    IniFile file_;
};

} // namespace vantrel
