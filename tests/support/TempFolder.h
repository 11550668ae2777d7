#pragma once
#include <string>

namespace vantrel::test {

// A fresh folder below the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A temporary program folder: VANTREL_HOME points at it while the object lives.
class TempProgramFolder : public TempFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();

private:
    std::string previousHome_;
    bool hadHome_ = false;
};

// The whole text of a file (empty when it cannot be read), and a file written with `text`.
std::string contentsOf(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

} // namespace vantrel::test
