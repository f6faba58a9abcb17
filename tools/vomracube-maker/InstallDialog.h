// Install, in words: a small dialog that says what will happen, lets the user choose how
// long the computer waits before the saver starts, and opens Windows' own screen-saver
// settings on request. The install itself is SaverInstall's.
#pragma once

#include "platform/Win32.h"

#include <string>

// The waits offered, in minutes; the current one is added when it is not among them.
constexpr int kInstallWaits[] = {1, 2, 3, 5, 10, 15, 20, 30, 45, 60};

// "1 minute", "10 minutes", "1 hour".
std::string WaitText(int minutes);
// What Install reports: "VomraCube is now your screen saver; it starts after 10 minutes."
std::string InstalledText(int minutes);

// True when the user chose Install, with the wait in `minutes` (starting at the system's
// current wait). Windows' settings can be opened from it whatever is chosen.
bool AskInstall(HWND owner, const std::string& saverName, int& minutes);
// Windows' screen saver settings (the control panel's page), false when they did not open.
bool OpenWindowsSaverSettings(HWND owner);
// The system's wait before the screen saver starts, in whole minutes (at least 1), and
// setting it for the user.
int CurrentSaverWait();
bool SetSaverWait(int minutes);
