#include "CommandLine.h"

#include "platform/Version.h"

#include <cstdio>

namespace vantrel {

namespace {

constexpr int exitUsage = 2;

struct OptionWord {
    const char* word;
    ProgramRequest::Kind kind;
};

constexpr OptionWord optionWords[] = {
    {"--help", ProgramRequest::Kind::printHelp},
    {"-h", ProgramRequest::Kind::printHelp},
    {"--version", ProgramRequest::Kind::printVersion},
};

bool looksLikeOption(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

} // namespace

ProgramRequest readProgramArguments(const std::vector<std::string>& arguments)
{
    ProgramRequest request;
    bool filesOnly = false;
    for (const std::string& word : arguments) {
        if (filesOnly || !looksLikeOption(word)) {
            request.files.push_back(word);
            continue;
        }
        if (word == "--") {
            filesOnly = true;
            continue;
        }
        const OptionWord* known = nullptr;
        for (const OptionWord& option : optionWords)
            if (word == option.word)
                known = &option;
        if (!known) {
            request.kind = ProgramRequest::Kind::wrongOption;
            request.wrongOption = word;
            return request;
        }
        // The first of --help and --version wins, as with most programs.
        if (request.kind == ProgramRequest::Kind::openWindow)
            request.kind = known->kind;
    }
    return request;
}

const char* programUsage()
{
    return "usage: vantrel [--] [FILE...]\n"
           "       vantrel --help | --version\n"
           "\n"
           "Opens the album window. Each FILE (album .zal, DVF .dvf, JPEG .jpg, bitmap .bmp) is\n"
           "opened into the album in order; when Vantrel already runs on the same program folder\n"
           "the files are handed to it. A FILE whose name begins with '-' follows '--'.\n"
           "\n"
           "  -h, --help     print this help and exit\n"
           "      --version  print the version and exit\n"
           "\n"
           "See vantrel(1) and vantrel-cli(1).\n";
}

int answerWithoutWindow(const ProgramRequest& request)
{
    switch (request.kind) {
    case ProgramRequest::Kind::printHelp:
        std::fputs(programUsage(), stdout);
        return 0;
    case ProgramRequest::Kind::printVersion:
        std::printf("vantrel %s\n", programVersion());
        return 0;
    case ProgramRequest::Kind::wrongOption:
        std::fprintf(stderr, "vantrel: unknown option '%s' (try vantrel --help)\n", request.wrongOption.c_str());
        return exitUsage;
    case ProgramRequest::Kind::openWindow:
        break;
    }
    return -1;
}

} // namespace vantrel
