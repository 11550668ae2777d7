#pragma once
#include "image/Conversions.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

// What the target path check shows the user. The main window answers with message boxes
// owned by it; the command line answers from its options.
class PathPrompts {
public:
    virtual ~PathPrompts() = default;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const QString& caption, const QString& text) = 0;
    // A warning with the warning icon; `key` names the message.
    virtual void warn(std::string_view key, const QString& caption, const QString& text) = 0;
    // The wait dialog, when it is showing: brought to the top before a question, closed
    // before a warning.
    virtual void raiseWaitDialog() {}
    virtual void closeWaitDialog() {}
};

// The text of a message key, as the user reads it.
QString messageText(std::string_view key);

// The path with its extension replaced by the first three characters of `extension`, unless
// it has that extension already (compared without regard to case).
std::string pathWithForcedExtension(const std::string& path, const std::string& extension);

// Creates the missing folders along `path` (made absolute); the part after the last '/'
// is not looked at. False when a folder cannot be created.
bool folderCheck(const std::string& path);

// The path to write: its extension forced to `extension`; empty when the user declines to
// replace an existing file, the disk lacks `bytesNeeded` (an existing file's size counts as
// free), the folder cannot be made or written in, or the existing file may not be written
// (it is kept, "MSG_INPUT"). Shows its own messages.
std::string targetPathCheck(const std::string& path, const std::string& extension,
                            uint64_t bytesNeeded, bool ask, PathPrompts& prompts);

// Whether the program folder can take `bytesNeeded` of new side files, the next one being
// `nextSideFile`: a picture is stored there before it joins the album. Warns "MSG_NODISK"
// or "MSG_INPUT" as the check above when not.
bool roomForSideFiles(const std::string& nextSideFile, uint64_t bytesNeeded, PathPrompts& prompts);

// The check above answered through `prompts`, in the form the image conversions take.
TargetPathCheck targetPathCheckWith(PathPrompts& prompts);

// Runs `save` with `check` and tells, through `prompts`, a failure the check did not tell (it
// tells each of its own refusals): "MSG_NODISK" when the write failed after the check let it
// go ahead, "MSG_INPUT" when the picture could not be read before any check. True when saved.
bool saveTellingFailure(const TargetPathCheck& check, PathPrompts& prompts,
                        const std::function<bool(const TargetPathCheck&)>& save);

} // namespace vantrel
