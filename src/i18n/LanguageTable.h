#pragma once
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Language codes: they pick the text and style columns of the string file.
namespace Language {
constexpr int16_t English = 9;
constexpr int16_t French = 12; // has columns in the file, never chosen
constexpr int16_t Japanese = 17;
} // namespace Language

// Owner of the string records that hold program texts looked up by key.
constexpr std::string_view programLevelOwner = "PrgLevel";
// Style column value that makes a button's text its hint.
constexpr std::string_view hintStyle = "HINT";
// Style field value that leaves that part of the font as it is.
constexpr std::string_view unchangedMark = "$$";

// One line of wyb.sty: a named font style.
struct StyleRecord {
    std::string name;
    std::string fontName;
    std::string size;
    std::string bold;
};

// One line of wyb.cpt, holding only the two columns of the chosen language. Texts are the
// file's bytes (Shift-JIS for Japanese, ANSI otherwise).
struct StringRecord {
    std::string owner;
    std::string item;
    std::string text;
    std::string style;
};

// The language table: the chosen language and the records of the style and string files.
// Built once at start and only read afterwards, so any thread may look texts up.
class LanguageTable {
public:
    static constexpr size_t styleCapacity = 50;
    static constexpr size_t stringCapacity = 500;

    int16_t languageCode = Language::English;
    std::vector<StyleRecord> styles;
    std::vector<StringRecord> strings;

    // Japanese when the user's system language is Japanese, else English.
    void chooseLanguage();
    // False when the file cannot be read; the records are replaced only on success.
    bool loadStyles(const std::string& path);
    bool loadStrings(const std::string& path);
    // The start-up order: choose the language, load wyb.sty and wyb.cpt from the program
    // folder. False when either file is missing.
    bool loadFromProgramFolder();

    bool isJapanese() const { return languageCode == Language::Japanese; }

    // The text of the first "PrgLevel" record whose item is `key`; empty when there is none.
    QString textForKey(std::string_view key) const;
    // A record's text decoded for the toolkit.
    QString textOf(const StringRecord& record) const;

    // The record of component `component` on window `window`, or null. An empty owner ends
    // the search.
    const StringRecord* findComponentRecord(std::string_view window,
                                            std::string_view component) const;
    // Index of the first style called `name`; 0, which means no style, when there is none.
    size_t findStyle(std::string_view name) const;

    // Applies style `index` to `font` for a screen of `dotsPerInch`; false (font untouched)
    // when the index names no style.
    bool applyStyle(size_t index, double dotsPerInch, QFont& font) const;
};

// Font family that carries the Japanese script; requested beside a style's font when the
// language is Japanese, as the font's character set.
constexpr const char* japaneseFontFamily = "IPAGothic";

// The size field of a style: leading blanks and a sign, then digits up to the first other
// character; 0 when there are none.
int styleSizeValue(std::string_view field);

// The program's one language table. The main window owns it and registers it when it is
// created, before any other window exists; every window and every thread then reads it
// through languageTable(). Before registration (and after the owner is gone) an empty table
// answers, so every text is empty.
const LanguageTable& languageTable();
// Registers `table` as the program's table (null unregisters); returns the previous one.
LanguageTable* setLanguageTable(LanguageTable* table);
// Why the language files cannot be used: the first one found in no runtime folder, with the
// folders looked in; empty when both are found.
std::string missingLanguageFile();
// languageTable().textForKey(key).
QString textForKey(std::string_view key);

} // namespace vantrel
