// The screen-saver command line. The argument part (without the program name) is split
// into tokens at spaces and colons, runs of separators counting as one. The first token,
// after dropping one leading "/" or "-", is compared whole and without case with "s", "p",
// "c" and "a":
//
//   (none)     configure, no owner
//   s          run full screen
//   p <h>      preview inside window h (decimal; /p without a handle ends the program)
//   c [<h>]    configure, owned by the foreground window (h is ignored)
//   a          password change: refused with a message
//
// Anything else, including longer tokens such as /save or /s5, ends the program.
#pragma once

#include <cstdint>

enum class SaverMode {
    ConfigureWithoutOwner,
    ConfigureForForeground,
    Run,
    Preview,
    ChangePassword,
    Exit,
};

struct SaverCommand {
    SaverMode mode = SaverMode::Exit;
    int32_t previewParent = 0; // the preview parent's handle value
};

SaverCommand ParseSaverCommandLine(const char* arguments);

// atol-style conversion: optional leading white space and sign, decimal digits up to the
// first non-digit; 0 when there are none. Out-of-range values clamp to the int32 limits.
int32_t ParseDecimalHandle(const char* text);
