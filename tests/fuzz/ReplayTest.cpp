// Every fuzz target over its seed files and past findings: a finding fixed stays fixed, and a
// broken property fails here as it stops the fuzzer.
#include "../../fuzz/FuzzTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

void vantrel::fuzz::check(bool holds, const char* what)
{
    EXPECT_TRUE(holds) << what;
}

namespace {

std::vector<uint8_t> bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t replayFolder(const vantrel::fuzz::Target& target, const fs::path& folder)
{
    if (!fs::is_directory(folder))
        return 0;
    size_t replayed = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().string());
        const std::vector<uint8_t> bytes = bytesOf(entry.path());
        target.entry(bytes.data(), bytes.size());
        ++replayed;
    }
    return replayed;
}

} // namespace

TEST(FuzzReplay, EveryTargetTakesItsSeedsAndPastFindings)
{
    ASSERT_FALSE(vantrel::fuzz::targets().empty());
    for (const auto& target : vantrel::fuzz::targets()) {
        const fs::path root(VANTREL_FUZZ_DIR);
        const size_t seeds = replayFolder(target, root / "corpus" / target.name);
        replayFolder(target, root / "regressions" / target.name);
        EXPECT_GT(seeds, 0u) << target.name << " has no seed files";
    }
}
