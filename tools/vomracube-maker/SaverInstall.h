// Making a saver the current user's screen saver, as Windows' own Install command does:
// the saver's path (its short form, as Windows stores it) in HKEY_CURRENT_USER\Control
// Panel\Desktop, value SCRNSAVE.EXE, and the screen saver switched on through the system
// parameter, which writes ScreenSaveActive there and tells the running programs.
#pragma once

#include <string>

// True with the changes in `report`, in words for the user; false with the reason in
// `error`.
bool InstallSaver(const std::string& saverPath, std::string& report, std::string& error);
