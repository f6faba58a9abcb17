// The savers a person saved or opened lately, the latest first, for the Recent savers menu.
// They are kept for the user in the registry, HKEY_CURRENT_USER\Software\VomraCube\Maker,
// values "Recent 1" to "Recent 8" (UTF-16 paths); the uninstaller removes the key.
#pragma once

#include <string>
#include <vector>

constexpr size_t kRecentSavers = 8;

// `saver` moved (or added) to the front; the same path in another letter case counts as the
// same file, as Windows names do; at most kRecentSavers are kept.
void AddRecent(std::vector<std::string>& recent, const std::string& saver);
// The menu's text for entry `index`: "&1  C:\...\Holiday.scr".
std::string RecentMenuText(size_t index, const std::string& saver);

// The stored list (empty where none is stored), and storing it; both UTF-8 inside.
std::vector<std::string> LoadRecentSavers();
void StoreRecentSavers(const std::vector<std::string>& recent);
