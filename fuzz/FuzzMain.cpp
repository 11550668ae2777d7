// libFuzzer's entry for a program built with exactly one target.
#include "FuzzTarget.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace vantrel::fuzz {

void check(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

} // namespace vantrel::fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Image plugins and text codecs want an application object.
    static QCoreApplication application(*argc, *argv);
    if (vantrel::fuzz::targets().size() != 1) {
        std::fprintf(stderr, "a fuzz program holds exactly one target\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vantrel::fuzz::targets().front().entry(data, size);
    return 0;
}
