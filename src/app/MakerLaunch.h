// The About box's way to the maker. The installer registers VomraCubeMaker.exe under
// HKEY_CURRENT_USER\Software\VomraCube, value Maker (installer/VomraCube.nsi writes it and
// its uninstaller removes it), and the About box starts it on the saver it belongs to.
#pragma once

#include <string>

inline constexpr wchar_t kRegistrationKey[] = L"Software\\VomraCube";
inline constexpr wchar_t kMakerValue[] = L"Maker";

// One argument quoted as the C runtime splits a command line: backslashes double only
// before a quote (the closing one included), and a quote is escaped.
std::wstring QuoteArgument(const std::wstring& argument);

#ifdef _WIN32
enum class MakerStart { kStarted, kNotInstalled, kFailed };

// Starts the registered maker with `saver` as its one argument. kNotInstalled when nothing
// is registered or the registered file is gone; kFailed with the system's reason in `error`.
MakerStart StartInstalledMaker(const std::wstring& saver, std::wstring& error);
#endif
