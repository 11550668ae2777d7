#pragma once
#include <array>
#include <string>

namespace vantrel {

class CProfile;

constexpr int titleHistorySize = 10;

// The last ten HTML album titles, kept in section "History" of wyb30.ini as Title00 ..
// Title09 with "Index" naming the slot of the newest.
std::array<std::string, titleHistorySize> titleHistoryNewestFirst(const CProfile& profile);
// Stores `title` as the newest, in the slot before the current newest.
void rememberTitle(CProfile& profile, const std::string& title);

} // namespace vantrel
