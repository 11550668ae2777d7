#include "CommandLinePrompts.h"

#include "Cli.h"

#include "i18n/LanguageTable.h"
#include "image/DvCodec.h"

#include <cstdio>

namespace vantrel::cli {

bool CommandLinePrompts::askYesNo(const QString&, const QString&)
{
    declined = !force_;
    return force_;
}

void CommandLinePrompts::warn(std::string_view key, const QString&, const QString& text)
{
    warned = true;
    const std::string shown = text.isEmpty() ? std::string(key) : text.toStdString();
    std::fprintf(stderr, "vantrel-cli: %s\n", shown.c_str());
}

int refused(const CommandLinePrompts& prompts, const std::string& path, const char* extension,
            const char* what)
{
    if (prompts.declined)
        return fail(pathWithForcedExtension(path, extension) + " exists (use --force to replace it)");
    if (prompts.warned)
        return 1;
    return fail(std::string(what) + " failed: " + pathWithForcedExtension(path, extension) +
                " was not written");
}

bool loadLanguage()
{
    static LanguageTable table;
    if (const std::string missing = missingLanguageFile(); !missing.empty()) {
        fail(missing);
        return false;
    }
    if (!table.loadFromProgramFolder()) {
        fail("the language files wyb.cpt and wyb.sty cannot be read");
        return false;
    }
    setLanguageTable(&table);
    return true;
}

bool loadCodec()
{
    if (DvcLoad())
        return true;
    fail("the DV codec is not available");
    return false;
}

} // namespace vantrel::cli
