// The maker's command line: VomraCubeMaker.exe [FACE...] or VomraCubeMaker.exe SAVER.scr.
// Faces fill the slots in face order ("-" leaves one empty); a single argument that names
// a .scr file opens that saver instead, as a double-click on a saver dropped onto the maker's
// icon would.
#pragma once

#include <string>
#include <vector>

// Splits the arguments after the program name as the C run-time does on Windows: white
// space separates, double quotes group, 2n backslashes before a quote give n and the quote
// acts, 2n + 1 give n and a literal quote; other backslashes are kept as they are.
std::vector<std::string> SplitCommandLine(const char* text);

// Whether a path names a saver by its extension (".scr", in any case).
bool IsSaverPath(const std::string& path);

struct MakerStart {
    std::string saver;              // a saver to open; empty when faces were given
    std::vector<std::string> faces; // in face order; "" for a slot left empty
    size_t ignored = 0;             // faces beyond the sixth
};

MakerStart ParseMakerArguments(const std::vector<std::string>& args);
