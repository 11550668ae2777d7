#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
// Gives `to` the modification time of `from`: a picture copied keeps when it was taken.
bool copyModificationTime(const std::string& from, const std::string& to);
// Makes a file readable and writable by its owner.
bool resetAttributes(const std::string& path);

// What the program folder is chosen from.
struct ProgramFolderFacts {
    std::string vantrelHome;      // VANTREL_HOME, empty when unset
    std::string executableFolder;
    bool executableFolderWritable = false;
    bool installed = false;       // the runtime files lie under the install's share/vantrel
    std::string xdgDataHome;      // XDG_DATA_HOME, empty when unset
    std::string home;             // the user's home folder
};

// VANTREL_HOME when set; else the executable's folder when it is a writable program folder (a
// build); else the per-user folder $XDG_DATA_HOME/vantrel (~/.local/share/vantrel when
// XDG_DATA_HOME is unset or not absolute).
std::string chooseProgramFolder(const ProgramFolderFacts& facts);

// The folder the program writes into: settings, side files, work files. A per-user folder is
// created when missing.
std::string programFolder();
// `name` inside the program folder.
std::string programFile(const std::string& name);
// The read-only runtime files of an installed program (<prefix>/share/vantrel beside
// <prefix>/bin); empty when the executable is not installed.
std::string installedDataFolder();
// Where runtime files (language files, title pictures, help files) are looked for, in order:
// the program folder, the executable's folder, the installed share/vantrel when there is one.
std::vector<std::string> runtimeFolders();
// The first of those folders' copy of `name`; nothing when none has one.
std::optional<std::string> foundRuntimeFile(const std::string& name);
// The runtime file found, or the program folder's path when none exists.
std::string runtimeFile(const std::string& name);

} // namespace vantrel
