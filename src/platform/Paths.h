#pragma once
#include <cstdint>
#include <string>

namespace vantrel {

// The extension: what follows a '.' among the last five characters (at most four
// characters; empty when there is none).
std::string extensionOf(const std::string& path);
// The name after the last '/' up to the first '.' after it.
std::string baseNameOf(const std::string& path);
// The path up to (without) the first '.' after the last '/'.
std::string pathWithoutExtension(const std::string& path);
// What precedes the last '/' (empty when there is none; "/" stays "/" for the root).
std::string folderOf(const std::string& path);
// Linux paths carry no drive letter: always '\0'.
char driveLetterOf(const std::string& path);
// A folder path of fewer than four characters counts as the root of its drive.
bool isRootFolder(const std::string& folder);

// True only for an existing regular file, not for a folder.
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Free bytes on the file system that holds `path` (the nearest existing parent is asked);
// 0 when it cannot be read.
uint64_t freeSpaceOf(const std::string& path);
// The low 32 bits of a file's size; 0 when the file is missing.
uint32_t fileSizeOf(const std::string& path);
// Makes a file readable and writable by its owner.
bool resetAttributes(const std::string& path);

// The program folder: VANTREL_HOME when set, else the folder of the executable.
std::string programFolder();
// `name` inside the program folder.
std::string programFile(const std::string& name);

} // namespace vantrel
