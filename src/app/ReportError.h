// The shell's one way of telling the user something went wrong: a warning box captioned
// "VomraCube" (string 118) with the text of a string-table entry.
#pragma once

#include "platform/Win32.h"

void ReportError(UINT stringId);
