#include "ConsoleText.h"

#include "platform/Wide.h"

#include <windows.h>

#include <algorithm>
#include <io.h>
#include <shellapi.h>

void WriteText(std::FILE* out, const std::string& text) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        std::fwrite(text.data(), 1, text.size(), out);
        return;
    }
    // Whatever the stream holds goes first, so that the lines stay in order.
    std::fflush(out);
    const std::wstring shown = wide::FromUtf8(text);
    if (shown.empty()) {
        std::fwrite(text.data(), 1, text.size(), out); // not UTF-8: the bytes as they are
        return;
    }
    for (size_t done = 0; done < shown.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(shown.size() - done, 8192));
        DWORD written = 0;
        if (!WriteConsoleW(handle, shown.data() + done, chunk, &written, nullptr) || written == 0) {
            return;
        }
        done += written;
    }
}

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wideArgs = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wideArgs) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        arguments.push_back(wide::ToUtf8Lossy(wideArgs[i]));
    }
    LocalFree(wideArgs);
    return arguments;
}
