#pragma once
#include "image/TargetPath.h"

#include <string>

namespace vantrel {
class LanguageTable;
}

namespace vantrel::cli {

// The command line's answers: replace an existing file only with --force; warnings go to
// stderr.
class CommandLinePrompts : public PathPrompts {
public:
    explicit CommandLinePrompts(bool force) : force_(force) {}

    bool askYesNo(const QString& caption, const QString& text) override;
    void warn(std::string_view key, const QString& caption, const QString& text) override;

    bool declined = false;
    bool warned = false;

private:
    bool force_;
};

// The exit status of a write the prompts stopped: a declined replacement says so, a warning
// was already shown, anything else names `what` failed.
int refused(const CommandLinePrompts& prompts, const std::string& path, const char* extension,
            const char* what);

// The program's language table, so that the messages read as in the program; false (with a
// message) when the language files are found nowhere or cannot be read.
bool loadLanguage();
// Loads the DV codec; false (with a message) when it is not available.
bool loadCodec();

} // namespace vantrel::cli
