#pragma once
#include <map>
#include <string>

namespace vantrel::test {

// A picture file's metadata as an outside tool (exiftool) reads it: "group:Tag" -> value,
// such as "ExifIFD:DateTimeOriginal" or "XMP-xmpDM:StartTimecodeTimeValue". Empty when the
// tool fails.
std::map<std::string, std::string> pictureTags(const std::string& path);

} // namespace vantrel::test
