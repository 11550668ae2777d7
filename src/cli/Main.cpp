// vantrel-cli: the command-line companion. Commands live in the other files of this folder.
#include "Cli.h"

#include "platform/Version.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vantrel::cli {

namespace {

std::vector<Command>& commands()
{
    static std::vector<Command> all;
    return all;
}

const Command* findCommand(const std::string& name)
{
    for (const auto& command : commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

bool takesValue(const Command& command, const std::string& name)
{
    std::istringstream names(command.valueOptions ? command.valueOptions : "");
    for (std::string option; names >> option;)
        if (option == name)
            return true;
    return false;
}

void printUsage(const Command& command)
{
    std::printf("usage: vantrel-cli %s\n\n%s\n", command.usage, command.description);
}

void printOverview()
{
    std::printf("usage: vantrel-cli COMMAND [options]   (vantrel-cli COMMAND --help for more)\n"
                "       vantrel-cli --help | --version\n\n");
    auto sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return std::string(a.name) < b.name; });
    for (const auto& command : sorted)
        std::printf("  %s\n", command.usage);
}

bool parse(const Command& command, int argc, char** argv, Arguments& out, std::string& error)
{
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        const bool isOption = word.size() > 1 && word[0] == '-';
        if (!isOption) {
            out.words.push_back(word);
            continue;
        }
        const std::string name = word.substr(word.rfind('-', 1) + 1);
        if (!takesValue(command, name)) {
            out.flags.push_back(name);
            continue;
        }
        if (i + 1 >= argc) {
            error = "option " + word + " needs a value";
            return false;
        }
        out.values[name] = argv[++i];
    }
    return true;
}

} // namespace

bool Arguments::hasFlag(const std::string& name) const
{
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

std::optional<std::string> Arguments::value(const std::string& name) const
{
    const auto found = values.find(name);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

bool Arguments::intValue(const std::string& name, int low, int high, std::optional<int>& out) const
{
    const auto text = value(name);
    if (!text)
        return true;
    char* end = nullptr;
    const long number = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || number < low || number > high)
        return false;
    out = static_cast<int>(number);
    return true;
}

Registration::Registration(const Command& command)
{
    commands().push_back(command);
}

int fail(const std::string& what)
{
    std::fprintf(stderr, "vantrel-cli: %s\n", what.c_str());
    return 1;
}

namespace {

int refuseUsage(const std::string& what)
{
    fail(what);
    return exitUsage;
}

} // namespace

} // namespace vantrel::cli

int main(int argc, char** argv)
{
    using namespace vantrel::cli;
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
        printOverview();
        return argc < 2 ? exitUsage : 0;
    }
    if (std::string(argv[1]) == "--version") {
        std::printf("vantrel-cli %s\n", vantrel::programVersion());
        return 0;
    }
    const Command* command = findCommand(argv[1]);
    if (!command)
        return refuseUsage(std::string("unknown command '") + argv[1] + "' (try --help)");
    Arguments arguments;
    std::string error;
    if (!parse(*command, argc, argv, arguments, error))
        return refuseUsage(error);
    if (arguments.hasFlag("help")) {
        printUsage(*command);
        return 0;
    }
    return command->run(arguments);
}
