// vantrel-cli setting: reads or writes one key of the program folder's wyb30.ini.
#include "Cli.h"
#include "platform/Profile.h"

#include <cstdio>

namespace vantrel::cli {

namespace {

std::string cannotWrite(const CProfile& profile)
{
    return "cannot write " + profile.path + " (it was left as it was)";
}

int runSetting(const Arguments& arguments)
{
    const auto& words = arguments.words;
    if (words.size() < 2 || words.size() > 3)
        return fail("setting needs SECTION KEY [VALUE] (try --help)");
    CProfile profile;
    if (arguments.hasFlag("delete"))
        return profile.DeleteKey(words[0], words[1]) ? 0 : fail(cannotWrite(profile));
    if (words.size() == 3) {
        std::string check;
        const bool written = profile.WriteString(words[0], words[1], words[2])
                             && profile.ReadString(words[0], words[1], check) && check == words[2];
        return written ? 0 : fail(cannotWrite(profile));
    }
    std::string value;
    if (!profile.ReadString(words[0], words[1], value))
        return fail("no key " + words[1] + " in section " + words[0] + " of " + profile.path);
    std::printf("%s\n", value.c_str());
    return 0;
}

const Registration setting({
    "setting",
    "setting SECTION KEY [VALUE] [--delete]",
    "Prints the value of KEY in SECTION of wyb30.ini in the program folder (VANTREL_HOME, else\n"
    "the executable's folder in a build, else ~/.local/share/vantrel for an installed program);\n"
    "with VALUE writes it, with --delete removes the key.\n"
    "Example: vantrel-cli setting Ports COM1 /dev/ttyUSB0",
    "",
    runSetting,
});

} // namespace

} // namespace vantrel::cli
