#include "SmallDisk.h"

#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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

} // namespace vantrel::test
