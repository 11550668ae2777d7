// The string and style files, read as both files in both languages, then every lookup the
// windows make on what was read.
#include "../FuzzTarget.h"

#include "i18n/LanguageTable.h"

#include <QFont>

namespace {

using vantrel::LanguageTable;

// Lookups and text decoding cost a search or a code page conversion each: the first records
// stand for the rest, so that an input runs in milliseconds.
constexpr size_t recordsLookedUp = 32;

void checkStrings(const LanguageTable& table)
{
    vantrel::fuzz::check(table.strings.size() <= LanguageTable::stringCapacity,
                         "no more string lines than the table holds");
    for (size_t i = 0; i < table.strings.size(); ++i) {
        const auto& record = table.strings[i];
        vantrel::fuzz::check(record.owner.size() < 100 && record.item.size() < 100 &&
                                 record.text.size() < 200 && record.style.size() < 20,
                             "string fields keep their maximum lengths");
        if (i >= recordsLookedUp)
            continue;
        table.textOf(record);
        table.findComponentRecord(record.owner, record.item);
        table.textForKey(record.item);
    }
}

void checkStyles(const LanguageTable& table)
{
    vantrel::fuzz::check(table.styles.size() <= LanguageTable::styleCapacity,
                         "no more style lines than the table holds");
    for (size_t i = 0; i < table.styles.size(); ++i) {
        const size_t found = table.findStyle(table.styles[i].name);
        vantrel::fuzz::check(found <= i, "a style is found at its first line or before");
        QFont font;
        table.applyStyle(i, 96, font);
        table.applyStyle(i, 120, font);
    }
}

} // namespace

VANTREL_FUZZ_TARGET(language)
{
    const std::string& path = vantrel::fuzz::asFile("language", data, size);
    for (const int16_t language : {vantrel::Language::English, vantrel::Language::Japanese}) {
        LanguageTable table;
        table.languageCode = language;
        vantrel::fuzz::check(table.loadStrings(path) && table.loadStyles(path),
                             "an existing file is read");
        checkStrings(table);
        checkStyles(table);
    }
}
