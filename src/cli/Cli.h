#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

// The words and options of one command line, after the command's name.
struct Arguments {
    std::vector<std::string> words;            // positional words, in order
    std::map<std::string, std::string> values; // "--name value" and "-o value" (as "o")
    std::vector<std::string> flags;            // "--name" without a value

    bool hasFlag(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    // The option as a whole number in [low, high]; nothing when absent, false on a bad value.
    bool intValue(const std::string& name, int low, int high, std::optional<int>& out) const;
};

using Handler = int (*)(const Arguments&);

struct Command {
    const char* name;
    const char* usage;         // one line: "scan [--device PATH | --port N]"
    const char* description;   // what it does, a few lines
    const char* valueOptions;  // space separated names of options that take a value
    Handler run;
};

// A command module registers its commands with a static Registration.
struct Registration {
    explicit Registration(const Command& command);
};

// The exit status of a command line the program cannot read (no or an unknown command, an
// option without its value).
constexpr int exitUsage = 2;

// Prints "vantrel-cli: <what>" on stderr and returns the failure status.
int fail(const std::string& what);

} // namespace vantrel::cli
