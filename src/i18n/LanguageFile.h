#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The fields of one record line of a language file, column 1 first.
using FieldLine = std::vector<std::string>;

// Splits the bytes of a string or style file into record lines. Lines end with LF (a last
// line without LF is not read); a line starting "$$" is a comment. Fields end with TAB or CR
// and count only when their terminator is seen. Only as many columns as `maxLengths` names are
// read; a field longer than its maximum is left empty. At most `capacity` lines are returned,
// each with exactly maxLengths.size() fields.
std::vector<FieldLine> parseLanguageFile(std::string_view bytes,
                                         std::span<const size_t> maxLengths, size_t capacity);

// The whole file as bytes; false when it cannot be read.
bool readFileBytes(const std::string& path, std::string& bytes);

} // namespace vantrel
