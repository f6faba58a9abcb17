// The maker's Open and Save dialogs (the system's common dialogs).
#pragma once

#include "platform/Win32.h"

#include <string>

// A face file: pictures, videos and animations the saver or the maker's conversion takes.
bool AskFaceFile(HWND owner, std::string& path);
// A finished saver to open.
bool AskSaverToOpen(HWND owner, std::string& path);
// Where to save the saver; `suggested` fills the name box first. Asks before replacing.
bool AskSaverToSave(HWND owner, const std::string& suggested, std::string& path);
