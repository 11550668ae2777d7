#include "platform/FileReplace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace vantrel;

namespace {

std::string contentsOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void put(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool writeNew(const std::string& workFile)
{
    put(workFile, "new");
    return true;
}

} // namespace

// Whatever lies where the work file goes, the target ends up whole with its own permissions,
// and nothing is written through a link left there.
TEST(FileReplace, WhatLiesInTheWorkFilesPlaceGoesFirst)
{
    char pattern[] = "/tmp/vantrel-replace-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path target = folder / "album.zal";
    const fs::path workFile = folder / "album.zal.part";
    const fs::path elsewhere = folder / "elsewhere";
    struct Case {
        const char* name;
        void (*leave)(const fs::path& workFile, const fs::path& elsewhere);
    };
    const Case cases[] = {
        {"nothing", [](const fs::path&, const fs::path&) {}},
        {"a stale work file", [](const fs::path& w, const fs::path&) { put(w, "stale and longer"); }},
        {"a link to another file", [](const fs::path& w, const fs::path& e) { fs::create_symlink(e, w); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put(target, "old");
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        put(elsewhere, "untouched");
        c.leave(workFile, elsewhere);
        EXPECT_TRUE(replaceFileThrough(target.string(), writeNew));
        EXPECT_EQ(contentsOf(target), "new");
        EXPECT_EQ(contentsOf(elsewhere), "untouched");
        EXPECT_FALSE(fs::exists(fs::symlink_status(workFile)));
        EXPECT_EQ(fs::status(target).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
    fs::remove_all(folder);
}
