#include "platform/Paths.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(Paths, ExtensionIsFoundAmongTheLastFiveCharacters)
{
    EXPECT_EQ(extensionOf("/home/a/pic.jpeg"), "jpeg");
    EXPECT_EQ(extensionOf("/home/a/pic.jpg"), "jpg");
    EXPECT_EQ(extensionOf("/home/a/album.zal"), "zal");
    EXPECT_EQ(extensionOf("/home/a/picture.html5"), "");
    EXPECT_EQ(extensionOf("/home/a/noext"), "");
    EXPECT_EQ(extensionOf("/home/a.b/cd"), "");
    EXPECT_EQ(extensionOf("a.b.c"), "c");
}

TEST(Paths, BaseNameAndPathWithoutExtensionStopAtTheFirstDot)
{
    EXPECT_EQ(baseNameOf("/home/a.b/lum001.dat"), "lum001");
    EXPECT_EQ(baseNameOf("/home/a/archive.tar.gz"), "archive");
    EXPECT_EQ(baseNameOf("plain"), "plain");
    EXPECT_EQ(pathWithoutExtension("/home/a.b/archive.tar.gz"), "/home/a.b/archive");
    EXPECT_EQ(pathWithoutExtension("/home/a/noext"), "/home/a/noext");
}

TEST(Paths, FolderAndRoot)
{
    EXPECT_EQ(folderOf("/home/a/pic.jpg"), "/home/a");
    EXPECT_EQ(folderOf("/pic.jpg"), "/");
    EXPECT_EQ(folderOf("pic.jpg"), "");
    EXPECT_TRUE(isRootFolder("/"));
    EXPECT_FALSE(isRootFolder("/home"));
    EXPECT_EQ(driveLetterOf("/home"), '\0');
}

TEST(Paths, FileExistsOnlyForFiles)
{
    test::TempFolder folder;
    std::ofstream(folder.file("f.txt")) << "12345";
    EXPECT_TRUE(fileExists(folder.file("f.txt")));
    EXPECT_FALSE(fileExists(folder.path()));
    EXPECT_TRUE(folderExists(folder.path()));
    EXPECT_FALSE(fileExists(folder.file("missing")));
    EXPECT_EQ(fileSizeOf(folder.file("f.txt")), 5u);
    EXPECT_EQ(fileSizeOf(folder.file("missing")), 0u);
}

TEST(Paths, FreeSpaceIsNotCutTo32Bits)
{
    test::TempFolder folder;
    const auto expected = std::filesystem::space(folder.path()).available;
    const uint64_t measured = freeSpaceOf(folder.path());
    // Other processes write meanwhile; the two readings agree to within a few MiB.
    EXPECT_NEAR(static_cast<double>(measured), static_cast<double>(expected), 64.0 * 1024 * 1024);
    if (expected > (uint64_t(1) << 32)) {
        EXPECT_GT(measured, uint64_t(1) << 32);
    }
    // A path that does not exist yet is measured on its nearest existing parent.
    EXPECT_GT(freeSpaceOf(folder.file("new/sub/file.jpg")), 0u);
}

TEST(Paths, ProgramFolderFollowsVantrelHome)
{
    test::TempProgramFolder home;
    EXPECT_EQ(programFolder(), home.path());
    EXPECT_EQ(programFile("wyb.cpt"), home.path() + "/wyb.cpt");
}

TEST(Paths, ProgramFolderOfABuildAnInstallAndVantrelHome)
{
    struct Case {
        const char* what;
        ProgramFolderFacts facts;
        const char* folder;
    };
    const Case cases[] = {
        {"build", {"", "/src/build/bin", true, false, "", "/home/u"}, "/src/build/bin"},
        {"installed into a writable prefix", {"", "/tmp/p/bin", true, true, "", "/home/u"},
         "/home/u/.local/share/vantrel"},
        {"read-only folder", {"", "/usr/bin", false, false, "/data/u", "/home/u"}, "/data/u/vantrel"},
        {"relative XDG_DATA_HOME is ignored", {"", "/usr/bin", false, true, "data", "/home/u"},
         "/home/u/.local/share/vantrel"},
        {"VANTREL_HOME wins", {"/srv/v/../w", "/usr/bin", false, true, "/data/u", "/home/u"}, "/srv/w"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseProgramFolder(c.facts), c.folder) << c.what;
}

TEST(Paths, ABuildReadsItsRuntimeFilesFromTheProgramFolder)
{
    test::TempProgramFolder home;
    // A build has no installed data folder beside its executables.
    EXPECT_EQ(installedDataFolder(), "");
    // The executable's copy when the program folder has none; the program folder's first.
    EXPECT_EQ(runtimeFile("wyb.cpt"), (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "wyb.cpt").string());
    std::ofstream(home.file("wyb.cpt")) << "own";
    EXPECT_EQ(runtimeFile("wyb.cpt"), home.file("wyb.cpt"));
    EXPECT_EQ(runtimeFile("no-such-file"), home.file("no-such-file"));
}
