// The screen-saver command line: any text gives one of the modes, and a preview handle is
// exactly what the atol-style conversion of the token after the switch gives.
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size); // stops at a zero byte
    const SaverCommand command = ParseSaverCommandLine(text.c_str());
    switch (command.mode) {
    case SaverMode::kConfigureWithoutOwner:
    case SaverMode::kConfigureForForeground:
    case SaverMode::kRun:
    case SaverMode::kChangePassword:
    case SaverMode::kExit:
        if (command.previewParent != 0) {
            std::abort();
        }
        break;
    case SaverMode::kPreview:
        break;
    default:
        std::abort();
    }
    ParseDecimalHandle(text.c_str());
    return 0;
}
