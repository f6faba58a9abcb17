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
#include <string_view>

enum class SaverMode {
    kConfigureWithoutOwner,
    kConfigureForForeground,
    kRun,
    kPreview,
    kChangePassword,
    kExit,
};

struct SaverCommand {
    SaverMode mode = SaverMode::kExit;
    int32_t previewParent = 0; // the preview parent's handle value
};

SaverCommand ParseSaverCommandLine(const char* arguments);

// atol-style conversion of the whole text: optional leading white space and sign, decimal
// digits up to the first non-digit; 0 when there are none. The value is taken modulo 2^32
// as a two's-complement int32, since a window handle carries only 32 significant bits: a
// host that prints the handle as signed, as unsigned 32-bit or as a sign-extended 64-bit
// number names the same window, and any number of digits is safe.
int32_t ParseDecimalHandle(std::string_view text);
