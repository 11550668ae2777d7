#include "TempFolder.h"

#include <fstream>
#include <sstream>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vantrel::test {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

TempProgramFolder::TempProgramFolder()
{
    if (const char* home = std::getenv("VANTREL_HOME")) {
        hadHome_ = true;
        previousHome_ = home;
    }
    setenv("VANTREL_HOME", path().c_str(), 1);
}

TempProgramFolder::~TempProgramFolder()
{
    if (hadHome_)
        setenv("VANTREL_HOME", previousHome_.c_str(), 1);
    else
        unsetenv("VANTREL_HOME");
}

std::string contentsOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace vantrel::test
