#include "i18n/Codepage.h"
#include "i18n/Keys.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageTable.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;

LanguageTable shippedTable(int16_t language)
{
    LanguageTable table;
    table.languageCode = language;
    EXPECT_TRUE(table.loadStyles(resources + "/wyb.sty"));
    EXPECT_TRUE(table.loadStrings(resources + "/wyb.cpt"));
    return table;
}

bool endsEveryLineWithCrLf(const std::string& path)
{
    std::string bytes;
    if (!readFileBytes(path, bytes) || bytes.empty() || bytes.back() != '\n')
        return false;
    for (size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
        if (i == 0 || bytes[i - 1] != '\r')
            return false;
    return true;
}

} // namespace

TEST(ShippedFiles, EveryKeyHasEnglishAndJapaneseText)
{
    const LanguageTable english = shippedTable(Language::English);
    const LanguageTable japanese = shippedTable(Language::Japanese);
    for (std::string_view key : programTextKeys) {
        EXPECT_FALSE(english.textForKey(key).trimmed().isEmpty()) << key;
        EXPECT_FALSE(japanese.textForKey(key).trimmed().isEmpty()) << key;
    }
    EXPECT_EQ(english.textForKey("MSG_FSTRANS"), "Transferring the picture...");
    EXPECT_EQ(japanese.textForKey("MSG_FSTRANS"), "画像を転送しています...");
}

TEST(ShippedFiles, JapaneseColumnIsShiftJis)
{
    const LanguageTable japanese = shippedTable(Language::Japanese);
    size_t withKana = 0;
    for (const StringRecord& record : japanese.strings) {
        bool valid = false;
        const QString text = decodeCodepage(record.text, Codepage::ShiftJis, &valid);
        EXPECT_TRUE(valid) << record.owner << " " << record.item;
        withKana += text.contains(QRegularExpression("[\\x{3040}-\\x{30FF}]"));
    }
    // Most texts are real Japanese, not English copied over.
    EXPECT_GT(withKana, japanese.strings.size() * 2 / 3);
}

TEST(ShippedFiles, FormatAndReferences)
{
    EXPECT_TRUE(endsEveryLineWithCrLf(resources + "/wyb.cpt"));
    EXPECT_TRUE(endsEveryLineWithCrLf(resources + "/wyb.sty"));
    for (int16_t language : {Language::English, Language::Japanese}) {
        const LanguageTable table = shippedTable(language);
        EXPECT_LE(table.strings.size(), LanguageTable::stringCapacity);
        for (const StringRecord& record : table.strings) {
            // An empty owner would hide every window record after it from the localiser.
            EXPECT_FALSE(record.owner.empty()) << record.item;
            const bool noStyle = record.style.empty() || record.style == hintStyle;
            EXPECT_TRUE(noStyle || table.findStyle(record.style) > 0)
                << record.owner << " " << record.item << " " << record.style;
        }
    }
}
