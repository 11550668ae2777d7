// vantrel-cli setting: reads or writes one key of the program folder's wyb30.ini.
#include "Cli.h"
#include "link/Profile.h"

#include <cstdio>

namespace vantrel::cli {

namespace {

int runSetting(const Arguments& arguments)
{
    const auto& words = arguments.words;
    if (words.size() < 2 || words.size() > 3)
        return fail("setting needs SECTION KEY [VALUE] (try --help)");
    CProfile profile;
    if (arguments.hasFlag("delete")) {
        profile.DeleteKey(words[0], words[1]);
        return 0;
    }
    if (words.size() == 3) {
        profile.WriteString(words[0], words[1], words[2]);
        std::string check;
        if (!profile.ReadString(words[0], words[1], check) || check != words[2])
            return fail("cannot write " + profile.path);
        return 0;
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
