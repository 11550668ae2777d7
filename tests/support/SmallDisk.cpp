#include "SmallDisk.h"

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace vantrel::test {

SmallDisk::SmallDisk(size_t kilobytes, Access access)
{
    if (geteuid() != 0)
        return;
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    const unsigned long flags = MS_NOSUID | MS_NODEV | (access == readOnly ? MS_RDONLY : 0);
    mounted_ = mount("tmpfs", folder_.path().c_str(), "tmpfs", flags, options.c_str()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        umount2(folder_.path().c_str(), MNT_DETACH);
}

std::string SmallDisk::listing() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path()))
        names.push_back(std::filesystem::relative(entry.path(), path()).string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names)
        text += name + " ";
    return text;
}

bool SmallDisk::fillLeaving(uint64_t bytes)
{
    struct statvfs disk {};
    if (statvfs(path().c_str(), &disk) != 0)
        return false;
    const uint64_t page = disk.f_frsize;
    const uint64_t free = uint64_t(disk.f_bavail) * page;
    if (free < bytes)
        return false;
    const std::vector<char> zeros((free - bytes) / page * page);
    std::ofstream filler(file("filler"), std::ios::binary);
    filler.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    filler.close();
    return filler.good();
}

bool SmallDisk::makeReadOnly()
{
    return mounted_ && mount(nullptr, path().c_str(), nullptr,
                             MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

} // namespace vantrel::test
