// Making a saver the current user's screen saver so that it lasts: the saver is copied into
// VomraCube's own folder of the user's local application data, one file per saver name
// (a later Install of a saver of the same name replaces it), and Windows is pointed at that
// copy, %LOCALAPPDATA%\VomraCube\Savers\<name>.scr, by its long path: HKEY_CURRENT_USER\Control
// Panel\Desktop, value SCRNSAVE.EXE. The screen saver is switched on through the system parameter,
// which writes ScreenSaveActive there and tells the running programs. Moving or deleting the user's
// own file afterwards changes nothing; the uninstaller removes the folder.
#pragma once

#include <string>

// The file name the copy of `saverPath` gets: the saver's own name without its folder
// (either slash), ending in ".scr" as Windows wants a screen saver's name to. Empty when the
// path names no file.
std::string InstalledSaverName(const std::string& saverPath);

// True with where the copy is kept in `report`, in words for the user; false with the reason
// in `error`. `saverPath` and both texts are UTF-8.
bool InstallSaver(const std::string& saverPath, std::string& report, std::string& error);
