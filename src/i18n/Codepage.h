#pragma once
#include <QString>
#include <string_view>

namespace vantrel {

// The byte encodings of the language files: Shift-JIS (code page 932) for the Japanese
// columns, single-byte ANSI (code page 1252) for the others.
enum class Codepage { Ansi, ShiftJis };

// Decodes `bytes`; a byte sequence that is not valid in the code page becomes U+FFFD and
// makes `valid` (when given) false.
QString decodeCodepage(std::string_view bytes, Codepage codepage, bool* valid = nullptr);

} // namespace vantrel
