#include "LanguageTable.h"

#include "Codepage.h"
#include "LanguageFile.h"
#include "platform/Paths.h"

#include <QLocale>
#include <QStringList>
#include <array>
#include <atomic>
#include <cctype>

namespace vantrel {

namespace {

constexpr std::array<size_t, 4> styleFieldLengths = {19, 59, 2, 5};
constexpr std::array<size_t, 8> stringFieldLengths = {99, 99, 199, 19, 199, 19, 199, 19};

// Which columns (from 0) of a string line hold a language's text and style.
struct LanguageColumns {
    int16_t code;
    size_t text;
    size_t style;
};
constexpr std::array<LanguageColumns, 3> languageColumns = {{
    {Language::English, 2, 3},
    {Language::French, 4, 5},
    {Language::Japanese, 6, 7},
}};

const LanguageColumns* columnsOf(int16_t code)
{
    for (const auto& columns : languageColumns)
        if (columns.code == code)
            return &columns;
    return nullptr;
}

// Screens denser than this get style sizes one point smaller.
constexpr double denseScreenDotsPerInch = 108;
constexpr std::string_view boldWord = "true";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::atomic<LanguageTable*> registeredTable{nullptr};

} // namespace

int styleSizeValue(std::string_view field)
{
    size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i])))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    int value = 0;
    for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i)
        value = value * 10 + (field[i] - '0');
    return negative ? -value : value;
}

void LanguageTable::chooseLanguage()
{
    const bool japanese = QLocale::system().language() == QLocale::Japanese;
    languageCode = japanese ? Language::Japanese : Language::English;
}

bool LanguageTable::loadStyles(const std::string& path)
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return false;
    styles.clear();
    for (auto& fields : parseLanguageFile(bytes, styleFieldLengths, styleCapacity))
        styles.push_back({std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
                          std::move(fields[3])});
    return true;
}

bool LanguageTable::loadStrings(const std::string& path)
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return false;
    strings.clear();
    const LanguageColumns* columns = columnsOf(languageCode);
    for (auto& fields : parseLanguageFile(bytes, stringFieldLengths, stringCapacity)) {
        StringRecord record{std::move(fields[0]), std::move(fields[1]), {}, {}};
        if (columns) {
            record.text = std::move(fields[columns->text]);
            record.style = std::move(fields[columns->style]);
        }
        strings.push_back(std::move(record));
    }
    return true;
}

std::string missingLanguageFile()
{
    for (const char* name : {"wyb.cpt", "wyb.sty"}) {
        if (foundRuntimeFile(name))
            continue;
        std::string folders;
        for (const std::string& folder : runtimeFolders())
            folders += (folders.empty() ? "" : ", ") + folder;
        return std::string("the language file ") + name + " is not in " + folders;
    }
    return {};
}

bool LanguageTable::loadFromProgramFolder()
{
    chooseLanguage();
    const bool stylesLoaded = loadStyles(runtimeFile("wyb.sty"));
    const bool stringsLoaded = loadStrings(runtimeFile("wyb.cpt"));
    return stylesLoaded && stringsLoaded;
}

QString LanguageTable::textOf(const StringRecord& record) const
{
    return decodeCodepage(record.text, isJapanese() ? Codepage::ShiftJis : Codepage::Ansi);
}

QString LanguageTable::textForKey(std::string_view key) const
{
    for (const auto& record : strings)
        if (record.owner == programLevelOwner && record.item == key)
            return textOf(record);
    return {};
}

const StringRecord* LanguageTable::findComponentRecord(std::string_view window,
                                                       std::string_view component) const
{
    for (const auto& record : strings) {
        if (record.owner.empty())
            return nullptr;
        if (record.owner == window) {
            if (record.item == component)
                return &record;
        } else if (record.owner == component) {
            return &record;
        }
    }
    return nullptr;
}

size_t LanguageTable::findStyle(std::string_view name) const
{
    for (size_t i = 0; i < styles.size(); ++i)
        if (styles[i].name == name)
            return i;
    return 0;
}

bool LanguageTable::applyStyle(size_t index, double dotsPerInch, QFont& font) const
{
    if (index < 1 || index >= styles.size())
        return false;
    const StyleRecord& style = styles[index];
    if (style.fontName != unchangedMark) {
        // Qt fonts have no character set; a Japanese font beside the named one stands for it.
        QStringList families{decodeCodepage(style.fontName,
                                            isJapanese() ? Codepage::ShiftJis : Codepage::Ansi)};
        if (isJapanese() && families.front() != japaneseFontFamily)
            families << japaneseFontFamily;
        font.setFamilies(families);
    }
    if (style.size != unchangedMark) {
        const int points = styleSizeValue(style.size) - (dotsPerInch > denseScreenDotsPerInch);
        if (points > 0)
            font.setPointSize(points);
    }
    if (style.bold != unchangedMark)
        font.setBold(equalsIgnoringCase(style.bold, boldWord));
    return true;
}

const LanguageTable& languageTable()
{
    static const LanguageTable emptyTable;
    const LanguageTable* table = registeredTable.load();
    return table ? *table : emptyTable;
}

LanguageTable* setLanguageTable(LanguageTable* table)
{
    return registeredTable.exchange(table);
}

QString textForKey(std::string_view key)
{
    return languageTable().textForKey(key);
}

} // namespace vantrel
