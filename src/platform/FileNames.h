// Every file and folder name the program hands the system goes through these calls. Names
// are UTF-8 everywhere inside the program; on Windows these convert them to UTF-16 and call
// the wide functions, so a name in any script works whatever the system's code page; natively
// names are bytes and pass unchanged. A name that is not well-formed UTF-8 names no file on
// Windows: the call fails with ERROR_INVALID_NAME.
#pragma once

#include "platform/Win32.h"

#include <string>

namespace names {

// CreateFile with the name in UTF-8; INVALID_HANDLE_VALUE on failure (GetLastError says why).
HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL);

bool Remove(const char* name);
bool Exists(const char* name);
bool IsFolder(const char* name);
// Makes one folder; false when it exists already or cannot be made.
bool MakeFolder(const char* name);
// Removes an empty folder.
bool RemoveFolder(const char* name);
// Renames `from` to `to`, replacing a file of that name in one step.
bool MoveReplacing(const char* from, const char* to);

// The temporary folder, ending in its separator; empty when there is none.
std::string TempFolder();
// Makes a new, empty file of a unique name in `folder` (which ends in its separator), the
// name starting with the first three characters of `prefix`; empty when none can be made.
std::string NewTempFile(const std::string& folder, const char* prefix);
// The full path of the module's file (null: the running program); empty on failure.
std::string ModulePath(HMODULE module);

} // namespace names
