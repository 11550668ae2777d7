#include "platform/FileReplace.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace vantrel;

using vantrel::test::contentsOf;

namespace {

void put(const fs::path& path, const std::string& text)
{
    vantrel::test::writeFile(path.string(), text);
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
    const vantrel::test::TempFolder temp;
    const fs::path folder = temp.path();
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
        EXPECT_EQ(contentsOf(target.string()), "new");
        EXPECT_EQ(contentsOf(elsewhere.string()), "untouched");
        EXPECT_FALSE(fs::exists(fs::symlink_status(workFile)));
        EXPECT_EQ(fs::status(target).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
}
