#pragma once
#include "Cli.h"

#include <string>

namespace vantrel::cli {

// One word an option takes and the value it stands for.
struct Choice {
    const char* word;
    int value;
};

// Sets `field` from option `name` when given; false (with a message) for a word not listed.
template <size_t N>
bool choose(const Arguments& arguments, const char* name, const Choice (&choices)[N], int& field)
{
    const auto word = arguments.value(name);
    if (!word)
        return true;
    for (const auto& choice : choices)
        if (*word == choice.word) {
            field = choice.value;
            return true;
        }
    fail(std::string("--") + name + ": '" + *word + "' is not one of the choices");
    return false;
}

} // namespace vantrel::cli
