#include "FileDialogs.h"

#include <commdlg.h>

#include <vector>

namespace {
// Long enough for any path a user can type into the name box; the dialog fails rather than
// cut a longer one.
constexpr DWORD kPathBuffer = 32768;

bool Ask(HWND owner, const char* filter, const char* title, const char* defaultExtension,
         DWORD flags, bool save, const std::string& suggested, std::string& path) {
    std::vector<char> buffer(kPathBuffer, '\0');
    suggested.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) {
        return false;
    }
    path = buffer.data();
    return !path.empty();
}
} // namespace

bool AskFaceFile(HWND owner, std::string& path) {
    static const char kFilter[] =
        "Pictures and videos\0*.bmp;*.dib;*.ico;*.cur;*.gif;*.jpg;*.jpeg;*.jpe;*.jfif;*.png;"
        "*.tif;*.tiff;*.avi;*.mp4;*.mov;*.m4v;*.mkv;*.webm;*.webp;*.apng\0"
        "All files\0*.*\0";
    return Ask(owner, kFilter, "Choose a picture or video for the face", nullptr,
               OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, false, "", path);
}

bool AskSaverToOpen(HWND owner, std::string& path) {
    static const char kFilter[] = "Screen savers (*.scr)\0*.scr\0All files\0*.*\0";
    return Ask(owner, kFilter, "Open a saver made with VomraCube", "scr",
               OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, false, "", path);
}

bool AskSaverToSave(HWND owner, const std::string& suggested, std::string& path) {
    static const char kFilter[] = "Screen savers (*.scr)\0*.scr\0";
    return Ask(owner, kFilter, "Save the saver", "scr", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
               true, suggested, path);
}
