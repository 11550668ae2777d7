#include "TargetPath.h"

#include "i18n/LanguageTable.h"
#include "platform/Paths.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vantrel {

namespace {

// A folder on a read-only disk, or one the user may not write in, takes no file: saying so
// before writing beats a write that fails half way.
bool canWriteIn(const std::string& folder)
{
    return ::access(folder.empty() ? "/" : folder.c_str(), W_OK) == 0;
}

// A file the user may not write is one they keep: it is not replaced behind its back.
bool mayReplace(const std::string& path)
{
    return !fileExists(path) || ::access(path.c_str(), W_OK) == 0;
}

QString joined(std::string_view first, std::string_view second)
{
    return messageText(first) + "\n" + messageText(second);
}

} // namespace

std::string pathWithForcedExtension(const std::string& path, const std::string& extension)
{
    if (equalsIgnoringCase(extensionOf(path), extension))
        return path;
    return pathWithoutExtension(path) + "." + extension.substr(0, 3);
}

QString messageText(std::string_view key)
{
    return textForKey(key);
}

bool folderCheck(const std::string& path)
{
    std::error_code error;
    const std::string absolute = fs::absolute(path, error).string();
    if (error)
        return false;
    for (size_t slash = absolute.find('/', 1); slash != std::string::npos;
         slash = absolute.find('/', slash + 1)) {
        const std::string folder = absolute.substr(0, slash);
        if (fs::is_directory(folder, error))
            continue;
        if (!fs::create_directory(folder, error) || error)
            return false;
    }
    return true;
}

std::string targetPathCheck(const std::string& requested, const std::string& extension,
                            uint64_t bytesNeeded, bool ask, PathPrompts& prompts)
{
    const std::string path = pathWithForcedExtension(requested, extension);
    uint64_t replacedBytes = 0;
    if (fileExists(path)) {
        if (ask) {
            prompts.raiseWaitDialog();
            if (!prompts.askYesNo(messageText("TI_MAIN"), joined("MSG_SAVEOW1", "MSG_SAVEOW2")))
                return {};
        }
        replacedBytes = fileSizeOf(path);
    }
    std::error_code error;
    const std::string absolute = fs::absolute(path, error).string();
    if (freeSpaceOf(absolute) + replacedBytes < bytesNeeded) {
        prompts.closeWaitDialog();
        prompts.warn("MSG_NODISK", messageText("TI_MAIN"), messageText("MSG_NODISK"));
        return {};
    }
    const std::string folder = folderOf(absolute);
    if ((isRootFolder(folder) || folderCheck(absolute)) && canWriteIn(folder) && mayReplace(absolute))
        return path;
    prompts.closeWaitDialog();
    prompts.warn("MSG_INPUT", messageText("TI_MAIN"), messageText("MSG_INPUT"));
    return {};
}

bool roomForSideFiles(const std::string& nextSideFile, uint64_t bytesNeeded, PathPrompts& prompts)
{
    return !targetPathCheck(nextSideFile, "dat", bytesNeeded, false, prompts).empty();
}

TargetPathCheck targetPathCheckWith(PathPrompts& prompts)
{
    return [&prompts](const std::string& path, const std::string& extension, uint64_t bytes,
                      bool ask) { return targetPathCheck(path, extension, bytes, ask, prompts); };
}

bool saveTellingFailure(const TargetPathCheck& check, PathPrompts& prompts,
                        const std::function<bool(const TargetPathCheck&)>& save)
{
    enum class Answer { none, refused, granted } last = Answer::none;
    const TargetPathCheck watched = [&](const std::string& path, const std::string& extension,
                                        uint64_t bytes, bool ask) {
        std::string granted = check(path, extension, bytes, ask);
        last = granted.empty() ? Answer::refused : Answer::granted;
        return granted;
    };
    if (save(watched))
        return true;
    if (last != Answer::refused) {
        const char* key = last == Answer::granted ? "MSG_NODISK" : "MSG_INPUT";
        prompts.closeWaitDialog();
        prompts.warn(key, messageText("TI_MAIN"), messageText(key));
    }
    return false;
}

} // namespace vantrel
