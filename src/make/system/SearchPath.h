// The folders of a program search list (the PATH variable).
#pragma once

#include <string>
#include <vector>

// The list's entries in order, split at `separator` (':' on POSIX, ';' on Windows). Empty
// entries are kept as empty strings: POSIX reads them as the current folder, Windows skips
// them, and that choice is the caller's.
std::vector<std::string> SplitSearchPath(const std::string& list, char separator);
