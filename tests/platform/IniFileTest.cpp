#include "platform/Profile.h"
#include "platform/IniFile.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace vantrel;

using vantrel::test::contentsOf;
using vantrel::test::writeFile;

TEST(IniFile, SectionsAndKeysIgnoreCase)
{
    test::TempFolder folder;
    writeFile(folder.file("a.ini"), "[Init]\r\nCom=3\r\n");
    IniFile ini(folder.file("a.ini"));
    EXPECT_EQ(ini.read("INIT", "COM").value_or(""), "3");
    ASSERT_TRUE(ini.write("init", "com", "4"));
    EXPECT_EQ(contentsOf(folder.file("a.ini")), "[Init]\r\ncom=4\r\n");
}

TEST(IniFile, KeepsOtherLinesAndSections)
{
    test::TempFolder folder;
    writeFile(folder.file("a.ini"), "; note\n[A]\nx=1\nodd line\n\n[B]\ny=2\n");
    IniFile ini(folder.file("a.ini"));
    ASSERT_TRUE(ini.write("A", "z", "3"));
    ASSERT_TRUE(ini.write("C", "w", "4"));
    ASSERT_TRUE(ini.remove("B", "y"));
    ASSERT_TRUE(ini.write("D", {{"p", "5"}, {"q", "6"}, {"P", "7"}}));
    EXPECT_EQ(contentsOf(folder.file("a.ini")),
              "; note\r\n[A]\r\nx=1\r\nodd line\r\nz=3\r\n\r\n[B]\r\n[C]\r\nw=4\r\n[D]\r\nP=7\r\nq=6\r\n");
}

TEST(IniFile, KeyOfAnotherSectionIsNotFound)
{
    test::TempFolder folder;
    writeFile(folder.file("a.ini"), "[A]\nx=1\n[B]\n");
    IniFile ini(folder.file("a.ini"));
    EXPECT_FALSE(ini.read("B", "x").has_value());
    EXPECT_FALSE(ini.read("Missing", "x").has_value());
    EXPECT_FALSE(IniFile(folder.file("none.ini")).read("A", "x").has_value());
}

TEST(IniFile, ValuesKeepInnerSpaces)
{
    test::TempFolder folder;
    IniFile ini(folder.file("a.ini"));
    ASSERT_TRUE(ini.write("History", "Title", "My summer  album"));
    EXPECT_EQ(ini.read("history", "title").value_or(""), "My summer  album");
}

TEST(IniFile, WriteIntoMissingFolderFails)
{
    IniFile ini("/nonexistent-folder/a.ini");
    EXPECT_FALSE(ini.write("A", "x", "1"));
}

TEST(Profile, ReadIntAcceptsOnlyDecimalNumbers)
{
    test::TempFolder folder;
    writeFile(folder.file("wyb30.ini"), "[INIT]\nCOM=2\nID=\nBAUD_RATE=3x\nNEG=-7\n");
    CProfile profile(folder.file("wyb30.ini"));
    int value = 99;
    EXPECT_TRUE(profile.ReadInt("INIT", "COM", value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(profile.ReadInt("INIT", "NEG", value));
    EXPECT_EQ(value, -7);
    value = 99;
    EXPECT_FALSE(profile.ReadInt("INIT", "ID", value));
    EXPECT_FALSE(profile.ReadInt("INIT", "BAUD_RATE", value));
    EXPECT_FALSE(profile.ReadInt("INIT", "DEVICES", value));
    EXPECT_EQ(value, 99);
    EXPECT_EQ(profile.intOr("INIT", "BAUD_RATE", 2), 2);
}

TEST(Profile, WritesGoToDiskAtOnce)
{
    test::TempFolder folder;
    CProfile writer(folder.file("wyb30.ini"));
    writer.WriteInt("INIT", "DEVICES", 3);
    writer.WriteString("Setup", "Name", "a b");
    CProfile reader(folder.file("wyb30.ini"));
    EXPECT_EQ(reader.intOr("INIT", "DEVICES", 0), 3);
    writer.DeleteKey("INIT", "DEVICES");
    EXPECT_EQ(reader.intOr("INIT", "DEVICES", 0), 0);
    std::string text;
    EXPECT_TRUE(reader.ReadString("setup", "name", text));
    EXPECT_EQ(text, "a b");
}

TEST(Profile, DefaultPathIsInTheProgramFolder)
{
    test::TempProgramFolder home;
    CProfile profile;
    EXPECT_EQ(profile.path, home.file("wyb30.ini"));
    EXPECT_EQ(profile.directory, home.path());
}
