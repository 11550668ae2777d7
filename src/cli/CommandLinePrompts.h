#pragma once
#include "album/TargetPath.h"

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

// The program's language table, so that the messages read as in the program.
LanguageTable& loadLanguage();
// Loads the DV codec; false (with a message) when it is not available.
bool loadCodec();

} // namespace vantrel::cli
