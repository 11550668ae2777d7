#pragma once
#include "TempFolder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::test {

// A small tmpfs mounted on a temporary folder, for writers that meet a full disk or a
// read-only folder. Only root can mount it: elsewhere mounted() is false and the test skips.
class SmallDisk {
public:
    enum Access { writable, readOnly };

    SmallDisk(size_t kilobytes, Access access = writable);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& path() const { return folder_.path(); }
    std::string file(const std::string& name) const { return folder_.file(name); }
    // The names of the files and folders on the disk, sorted.
    std::string listing() const;
    // Leaves `bytes` free (in whole pages, rounded down) by writing a file "filler".
    bool fillLeaving(uint64_t bytes);
    // Mounts the disk again read-only, with what it holds.
    bool makeReadOnly();

private:
    TempFolder folder_;
    bool mounted_ = false;
};

} // namespace vantrel::test
