#include "i18n/Codepage.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageTable.h"
#include "support/TempFolder.h"

#include <QStringList>
#include <array>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A table that loaded `bytes` as its string or style file, with the given language.
LanguageTable loadedFrom(bool (LanguageTable::*load)(const std::string&), const std::string& bytes,
                         int16_t language)
{
    test::TempFolder folder;
    writeBytes(folder.file("language-file"), bytes);
    LanguageTable table;
    table.languageCode = language;
    EXPECT_TRUE((table.*load)(folder.file("language-file")));
    return table;
}

LanguageTable stringsFrom(const std::string& bytes, int16_t language = Language::English)
{
    return loadedFrom(&LanguageTable::loadStrings, bytes, language);
}

LanguageTable stylesFrom(const std::string& bytes, int16_t language = Language::English)
{
    return loadedFrom(&LanguageTable::loadStyles, bytes, language);
}

const std::string twoStyles = "$$ styles\r\n"
                              "None\t$$\t$$\t$$\r\n"
                              "Big\tLiberation Sans\t12\ttrue\r\n";

// "日本語" in Shift-JIS.
const std::string japaneseBytes = "\x93\xfa\x96\x7b\x8c\xea";

} // namespace

TEST(LanguageFile, ComponentLineTakesTheChosenLanguageColumns)
{
    const std::string line = "frmAuto\tbtnExR\tExecute\tBig\r\n";
    const LanguageTable english = stringsFrom(line, Language::English);
    const StringRecord* record = english.findComponentRecord("frmAuto", "btnExR");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(english.textOf(*record), "Execute");
    EXPECT_EQ(record->style, "Big");

    const LanguageTable japanese = stringsFrom(line, Language::Japanese);
    record = japanese.findComponentRecord("frmAuto", "btnExR");
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->text.empty());
    EXPECT_TRUE(record->style.empty());
}

TEST(LanguageFile, JapaneseAndFrenchColumns)
{
    const std::string line =
        "PrgLevel\tKEY\tEnglish\tE\tFrancais\tF\t" + japaneseBytes + "\tJ\r\n";
    EXPECT_EQ(stringsFrom(line, Language::Japanese).textForKey("KEY"), "日本語");
    EXPECT_EQ(stringsFrom(line, Language::Japanese).strings[0].style, "J");
    EXPECT_EQ(stringsFrom(line, Language::English).textForKey("KEY"), "English");
    EXPECT_EQ(stringsFrom(line, Language::French).textForKey("KEY"), "Francais");
}

TEST(LanguageFile, FieldCountsOnlyWithItsTerminator)
{
    // The last text has no TAB or CR before the LF: it is lost.
    LanguageTable table = stringsFrom("PrgLevel\tA\tkept\r\n"
                                      "PrgLevel\tB\tlost\n"
                                      "PrgLevel\tC\tcr\rinside\t\r\n");
    EXPECT_EQ(table.textForKey("A"), "kept");
    EXPECT_EQ(table.textForKey("B"), "");
    ASSERT_EQ(table.strings.size(), 3u);
    EXPECT_EQ(table.textForKey("C"), "cr");
    EXPECT_EQ(table.strings[2].style, "inside");
}

TEST(LanguageFile, LastLineWithoutLineFeedIsNotRead)
{
    LanguageTable table = stringsFrom("PrgLevel\tA\tone\r\nPrgLevel\tB\ttwo\r");
    EXPECT_EQ(table.strings.size(), 1u);
    EXPECT_EQ(table.textForKey("B"), "");
}

TEST(LanguageFile, CommentsMakeNoRecordEmptyLinesDo)
{
    LanguageTable table = stringsFrom("$$ a comment\r\n"
                                      "$$\tPrgLevel\tX\tcommented\r\n"
                                      "\r\n"
                                      "PrgLevel\tY\tafter\r\n");
    ASSERT_EQ(table.strings.size(), 2u);
    EXPECT_TRUE(table.strings[0].owner.empty());
    EXPECT_EQ(table.textForKey("X"), "");
    EXPECT_EQ(table.textForKey("Y"), "after");
}

TEST(LanguageFile, OverlongFieldIsEmptiedOthersKept)
{
    const std::string longOwner(100, 'o');
    const std::string text199(199, 't');
    const std::string text200(200, 't');
    LanguageTable table = stringsFrom(longOwner + "\titem\ttext\t\r\n"
                                      "PrgLevel\tFITS\t" + text199 + "\t\r\n"
                                      "PrgLevel\tTOOLONG\t" + text200 + "\tBig\r\n");
    ASSERT_EQ(table.strings.size(), 3u);
    EXPECT_EQ(table.strings[0].owner, "");
    EXPECT_EQ(table.strings[0].item, "item");
    EXPECT_EQ(table.textForKey("FITS").size(), 199);
    EXPECT_EQ(table.textForKey("TOOLONG"), "");
    EXPECT_EQ(table.strings[2].style, "Big");
}

TEST(LanguageFile, ColumnsBeyondTheFileKindAreIgnored)
{
    const std::string extra = "\tNine\tTen\r\n";
    LanguageTable table =
        stylesFrom("S\tDejaVu Sans\t9\tfalse" + extra + "T\t$$\t$$\t$$\r\n");
    ASSERT_EQ(table.styles.size(), 2u);
    EXPECT_EQ(table.styles[0].bold, "false");
    EXPECT_EQ(table.findStyle("T"), 1u);
    // A size of more than two characters is empty, as any over-long field.
    EXPECT_EQ(stylesFrom("S\tDejaVu Sans\t100\t$$\r\n").styles[0].size, "");
}

TEST(LanguageFile, CapacityLimitsTheRecords)
{
    std::string strings, styles;
    for (int i = 0; i < 600; ++i)
        strings += "PrgLevel\tK" + std::to_string(i) + "\tt\t\r\n";
    for (int i = 0; i < 60; ++i)
        styles += "S" + std::to_string(i) + "\t$$\t$$\t$$\r\n";
    LanguageTable table = stringsFrom(strings);
    EXPECT_EQ(table.strings.size(), 500u);
    EXPECT_EQ(table.textForKey("K499"), "t");
    EXPECT_EQ(table.textForKey("K500"), "");
    EXPECT_EQ(stylesFrom(styles).styles.size(), 50u);
}

TEST(LanguageFile, MissingFilesLeaveTheTableEmpty)
{
    test::TempFolder folder;
    LanguageTable table;
    EXPECT_FALSE(table.loadStrings(folder.file("wyb.cpt")));
    EXPECT_FALSE(table.loadStyles(folder.file("wyb.sty")));
    // A folder by the file's name cannot be read either.
    EXPECT_FALSE(table.loadStrings(folder.path()));
    EXPECT_TRUE(table.strings.empty());
    EXPECT_TRUE(table.styles.empty());
    EXPECT_EQ(table.textForKey("TI_MAIN"), "");
}

TEST(TextForKey, FirstProgramRecordWithTheExactKey)
{
    LanguageTable table = stringsFrom("frmMain\tTI_MAIN\tnot a program text\t\r\n"
                                      "PrgLevel\tTI_MAIN\tfirst\t\r\n"
                                      "PrgLevel\tTI_MAIN\tsecond\t\r\n"
                                      "prglevel\tMSG_OVER\twrong owner case\t\r\n"
                                      "PrgLevel\tmsg_over\twrong key case\t\r\n");
    EXPECT_EQ(table.textForKey("TI_MAIN"), "first");
    EXPECT_EQ(table.textForKey("MSG_OVER"), "");
    EXPECT_EQ(table.textForKey("msg_over"), "wrong key case");
    EXPECT_EQ(table.textForKey(""), "");
}

TEST(TextForKey, ThreeFieldProgramLineServesEnglishOnly)
{
    const std::string line = "PrgLevel\tMSG_OVER\tThe album is full.\r\n";
    EXPECT_EQ(stringsFrom(line, Language::English).textForKey("MSG_OVER"), "The album is full.");
    EXPECT_EQ(stringsFrom(line, Language::Japanese).textForKey("MSG_OVER"), "");
}

TEST(ComponentRecord, WindowAndItemOrComponentNameAlone)
{
    LanguageTable table = stringsFrom("frmWait\tbtnAbort\tStop\t\r\n"
                                      "lblWait\tignored item\tPlease wait...\t\r\n"
                                      "frmWait\tbtnAbort\tsecond\t\r\n");
    const StringRecord* record = table.findComponentRecord("frmWait", "btnAbort");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(table.textOf(*record), "Stop");
    // A record owned by the component's name serves it on any window.
    record = table.findComponentRecord("frmOther", "lblWait");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(table.textOf(*record), "Please wait...");
    EXPECT_EQ(table.findComponentRecord("frmOther", "btnAbort"), nullptr);
}

TEST(ComponentRecord, EmptyOwnerEndsTheSearch)
{
    LanguageTable table = stringsFrom("frmWait\tlblWait\tbefore\t\r\n"
                                      "\r\n"
                                      "frmWait\tbtnAbort\tafter\t\r\n"
                                      "PrgLevel\tMB_TI_CLOSE\tkey after\t\r\n");
    EXPECT_NE(table.findComponentRecord("frmWait", "lblWait"), nullptr);
    EXPECT_EQ(table.findComponentRecord("frmWait", "btnAbort"), nullptr);
    EXPECT_EQ(table.textForKey("MB_TI_CLOSE"), "key after");
    // An over-long owner is an empty owner.
    LanguageTable longOwner = stringsFrom(std::string(100, 'x') + "\t\t\t\r\n"
                                          "frmWait\tbtnAbort\tafter\t\r\n");
    EXPECT_EQ(longOwner.findComponentRecord("frmWait", "btnAbort"), nullptr);
}

TEST(Styles, FirstStyleIsNeverApplied)
{
    LanguageTable table = stylesFrom("Zero\tDejaVu Serif\t20\ttrue\r\n" + twoStyles);
    EXPECT_EQ(table.findStyle("Zero"), 0u);
    EXPECT_EQ(table.findStyle("Missing"), 0u);
    QFont font("Liberation Mono", 7);
    EXPECT_FALSE(table.applyStyle(0, 96, font));
    EXPECT_EQ(font.family(), "Liberation Mono");
    EXPECT_EQ(font.pointSize(), 7);
    EXPECT_FALSE(table.applyStyle(99, 96, font));
}

TEST(Styles, UnchangedFontNameChangesOnlyTheSize)
{
    LanguageTable table = stylesFrom("First\t$$\t$$\t$$\r\nSize\t$$\t10\t$$\r\n");
    for (auto [dpi, points] : {std::pair{96.0, 10}, {108.0, 10}, {120.0, 9}}) {
        QFont font("Liberation Mono", 7);
        font.setBold(true);
        ASSERT_TRUE(table.applyStyle(table.findStyle("Size"), dpi, font));
        EXPECT_EQ(font.pointSize(), points) << dpi;
        EXPECT_EQ(font.families(), QStringList{"Liberation Mono"});
        EXPECT_TRUE(font.bold());
    }
}

TEST(Styles, FontNameBoldAndJapaneseCharacterSet)
{
    QFont english("DejaVu Sans", 7);
    ASSERT_TRUE(stylesFrom(twoStyles).applyStyle(1, 96, english));
    EXPECT_EQ(english.families(), QStringList{"Liberation Sans"});
    EXPECT_EQ(english.pointSize(), 12);
    EXPECT_TRUE(english.bold());

    QFont japanese("DejaVu Sans", 7);
    ASSERT_TRUE(stylesFrom(twoStyles, Language::Japanese).applyStyle(1, 96, japanese));
    EXPECT_EQ(japanese.families(), (QStringList{"Liberation Sans", japaneseFontFamily}));

    LanguageTable bolds = stylesFrom("x\t$$\t$$\t$$\r\n"
                                     "upper\t$$\t$$\tTRUE\r\n"
                                     "other\t$$\t$$\tyes\r\n");
    QFont font;
    bolds.applyStyle(1, 96, font);
    EXPECT_TRUE(font.bold());
    bolds.applyStyle(2, 96, font);
    EXPECT_FALSE(font.bold());
}

TEST(Styles, SizeFieldValue)
{
    EXPECT_EQ(styleSizeValue("10"), 10);
    EXPECT_EQ(styleSizeValue(" 9"), 9);
    EXPECT_EQ(styleSizeValue("+8"), 8);
    EXPECT_EQ(styleSizeValue("-5"), -5);
    EXPECT_EQ(styleSizeValue("7x"), 7);
    EXPECT_EQ(styleSizeValue("x7"), 0);
    EXPECT_EQ(styleSizeValue(""), 0);
    // A size that comes out as no points leaves the font's size alone.
    LanguageTable table = stylesFrom("x\t$$\t$$\t$$\r\nzero\t$$\t1\t$$\r\n");
    QFont font("DejaVu Sans", 11);
    table.applyStyle(1, 120, font);
    EXPECT_EQ(font.pointSize(), 11);
}

TEST(Codepages, ShiftJisWithNecExtensionsAndAnsi)
{
    bool valid = false;
    // "①" is an NEC extension character that only CP932 knows.
    EXPECT_EQ(decodeCodepage(japaneseBytes + "\x87\x40", Codepage::ShiftJis, &valid), "日本語①");
    EXPECT_TRUE(valid);
    EXPECT_EQ(decodeCodepage("caf\xe9", Codepage::Ansi, &valid), "café");
    EXPECT_TRUE(valid);
    // A lead byte without its trail byte is marked, and the text around it survives.
    EXPECT_EQ(decodeCodepage("a\x93", Codepage::ShiftJis, &valid), "a\uFFFD");
    EXPECT_FALSE(valid);
    EXPECT_EQ(decodeCodepage("\xa0\x81", Codepage::ShiftJis, &valid).left(1), "\uFFFD");
    EXPECT_FALSE(valid);
}

TEST(ProgramTable, EmptyUntilRegistered)
{
    LanguageTable* previous = setLanguageTable(nullptr);
    EXPECT_EQ(textForKey("TI_MAIN"), "");
    LanguageTable table = stringsFrom("PrgLevel\tTI_MAIN\tVantrel\t\r\n");
    setLanguageTable(&table);
    EXPECT_EQ(textForKey("TI_MAIN"), "Vantrel");
    EXPECT_EQ(&languageTable(), &table);
    setLanguageTable(previous);
}
