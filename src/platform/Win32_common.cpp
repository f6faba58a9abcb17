#include "platform/Win32.h"

#ifdef _WIN32
namespace platform {
void SetModuleFileNameOverride(const char*) {}
void SetTempPathOverride(const char*) {}
} // namespace platform
#endif
