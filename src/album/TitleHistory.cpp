#include "TitleHistory.h"

#include "platform/Profile.h"

#include <cstdio>

namespace vantrel {

namespace {

constexpr char historySection[] = "History";

std::string titleKey(int slot)
{
    char key[16];
    std::snprintf(key, sizeof key, "Title%02d", slot);
    return key;
}

// The newest slot, 0..9 whatever the file holds.
int newestSlot(const CProfile& profile)
{
    const int index = profile.intOr(historySection, "Index", 0) % titleHistorySize;
    return index < 0 ? index + titleHistorySize : index;
}

} // namespace

std::array<std::string, titleHistorySize> titleHistoryNewestFirst(const CProfile& profile)
{
    std::array<std::string, titleHistorySize> titles;
    const int newest = newestSlot(profile);
    for (int line = 0; line < titleHistorySize; ++line)
        profile.ReadString(historySection, titleKey((newest + line) % titleHistorySize), titles[line]);
    return titles;
}

void rememberTitle(CProfile& profile, const std::string& title)
{
    const int slot = (newestSlot(profile) + titleHistorySize - 1) % titleHistorySize;
    // One write: a title without its index would show as the oldest.
    profile.WriteStrings(historySection, {{titleKey(slot), title}, {"Index", std::to_string(slot)}});
}

} // namespace vantrel
