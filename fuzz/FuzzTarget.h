#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Fuzz targets: each parser of outside bytes gets one entry taking the bytes. The same entries
// run under libFuzzer (one program per target) and in the test suite, which replays the seed
// files and every input that once made a target fail.
namespace vantrel::fuzz {

using Entry = void (*)(const uint8_t* data, size_t size);

struct Target {
    std::string name;
    Entry entry;
};

std::vector<Target>& targets();

struct Registration {
    Registration(const char* name, Entry entry) { targets().push_back({name, entry}); }
};

// A property every input must keep. The fuzzer stops on a broken one; the suite reports it.
void check(bool holds, const char* what);

// The bytes as a file (one per target and process, in shared memory when there is some), for
// the parsers that take a path.
const std::string& asFile(const char* target, const uint8_t* data, size_t size);
// A folder of this process for `name` in the same place, made on first use and removed when
// the process ends.
const std::string& scratchFolder(const char* name);

} // namespace vantrel::fuzz

#define VANTREL_FUZZ_TARGET(name)                                                                \
    static void name##Entry(const uint8_t* data, size_t size);                                    \
    static const vantrel::fuzz::Registration name##Registration(#name, name##Entry);              \
    static void name##Entry(const uint8_t* data, size_t size)
