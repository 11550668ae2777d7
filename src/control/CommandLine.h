#pragma once
#include <string>
#include <vector>

namespace vantrel {

// What the window program's arguments ask for, read before any window or display exists.
struct ProgramRequest {
    enum class Kind { openWindow, printHelp, printVersion, wrongOption };
    Kind kind = Kind::openWindow;
    std::vector<std::string> files; // in the order given; every word after "--" is a file
    std::string wrongOption;        // the first word taken for an option the program lacks
};

// `arguments` without the program's own name. A lone "-" is a file name.
ProgramRequest readProgramArguments(const std::vector<std::string>& arguments);

// The text of --help.
const char* programUsage();

// Answers --help, --version and a wrong option on the standard streams; the exit code when
// the program ends here, -1 when the window is to open.
int answerWithoutWindow(const ProgramRequest& request);

} // namespace vantrel
