#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

// A private-profile file: [Section] headers and key=value lines. Sections and keys are found
// without regard to case; every write goes to disk at once and keeps all other lines as they
// were, comments and unknown lines included. A write that fails leaves the file as it was.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value after '=' with surrounding blanks removed; nothing when the key is missing.
    std::optional<std::string> read(const std::string& section, const std::string& key) const;
    bool write(const std::string& section, const std::string& key, const std::string& value);
    // Several keys of one section in a single replacement of the file: all of them or none.
    using Entry = std::pair<std::string, std::string>;
    bool write(const std::string& section, const std::vector<Entry>& entries);
    bool remove(const std::string& section, const std::string& key);

private:
    std::vector<std::string> load() const;
    bool store(const std::vector<std::string>& lines) const;

    std::string path_;
};

} // namespace vantrel
