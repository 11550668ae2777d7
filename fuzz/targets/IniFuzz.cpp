// Settings files as found on disk: the reads the program makes (strings, numbers, the image
// settings), then a write and a removal,
// after which the file must still answer what it answered before for the other keys.
#include "../FuzzTarget.h"

#include "image/ImageSettings.h"
#include "platform/Profile.h"
#include "platform/IniFile.h"

#include <cctype>
#include <optional>
#include <string>

namespace {

// The first section and key names in the bytes, so the reads hit what the fuzzer wrote; only
// their letters and digits, as in the names the program uses.
struct Names {
    std::string section = "INIT";
    std::string key = "COM";
};

std::string nameOf(std::string_view text, const char* fallback)
{
    std::string name;
    for (const char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name.empty() ? fallback : name;
}

Names namesIn(std::string_view text)
{
    Names names;
    const size_t open = text.find('[');
    const size_t close = text.find(']', open);
    if (open != std::string_view::npos && close != std::string_view::npos)
        names.section = nameOf(text.substr(open + 1, close - open - 1), "INIT");
    const size_t eq = text.find('=', close == std::string_view::npos ? 0 : close);
    if (eq != std::string_view::npos) {
        const size_t lineStart = text.rfind('\n', eq);
        const size_t from = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        names.key = nameOf(text.substr(from, eq - from), "COM");
    }
    return names;
}

} // namespace

VANTREL_FUZZ_TARGET(ini)
{
    const std::string& path = vantrel::fuzz::asFile("ini", data, size);
    const Names names = namesIn({reinterpret_cast<const char*>(data), size});
    vantrel::IniFile file(path);
    file.read(names.section, names.key);
    const std::optional<std::string> other = file.read("Ports", "COM1");
    const vantrel::CProfile profile(path);
    int number = 0;
    profile.ReadInt(names.section, names.key, number);
    vantrel::loadImageSettings(profile);
    vantrel::fuzz::check(file.write(names.section, "FuzzKey", "value"), "a write to the file succeeds");
    vantrel::fuzz::check(file.read(names.section, "FuzzKey") == std::optional<std::string>("value"),
                         "a written value reads back");
    vantrel::fuzz::check(file.remove(names.section, "FuzzKey"), "a removal succeeds");
    vantrel::fuzz::check(file.read("Ports", "COM1") == other, "a write keeps the other keys");
}
