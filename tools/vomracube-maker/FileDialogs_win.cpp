#include "FileDialogs.h"

#include "platform/Wide.h"

#include <commdlg.h>

#include <vector>

namespace {
// Long enough for any path a user can type into the name box; the dialog fails rather than
// cut a longer one.
constexpr DWORD kPathBuffer = 32768;

bool Ask(HWND owner, const wchar_t* filter, const wchar_t* title, const wchar_t* defaultExtension,
         DWORD flags, bool save, const std::string& suggested, std::string& path) {
    std::vector<wchar_t> buffer(kPathBuffer, L'\0');
    wide::FromUtf8(suggested).copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) {
        return false;
    }
    // A name with a lone surrogate cannot be held in UTF-8, so it names no file here.
    return wide::ToUtf8(buffer.data(), path) && !path.empty();
}
} // namespace

bool AskFaceFile(HWND owner, std::string& path) {
    static const wchar_t kFilter[] =
        L"Pictures and videos\0*.bmp;*.dib;*.ico;*.cur;*.gif;*.jpg;*.jpeg;*.jpe;*.jfif;*.png;"
        L"*.tif;*.tiff;*.heic;*.heif;*.hif;*.avif;*.webp;*.avi;*.mp4;*.mov;*.m4v;*.mkv;*.webm;"
        L"*.apng\0"
        L"All files\0*.*\0";
    return Ask(owner, kFilter, L"Choose a picture or video for the face", nullptr,
               OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, false, "", path);
}

bool AskSaverToOpen(HWND owner, std::string& path) {
    static const wchar_t kFilter[] = L"Screen savers (*.scr)\0*.scr\0All files\0*.*\0";
    return Ask(owner, kFilter, L"Open a saver made with VomraCube", L"scr",
               OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, false, "", path);
}

bool AskSaverToSave(HWND owner, const std::string& suggested, std::string& path) {
    static const wchar_t kFilter[] = L"Screen savers (*.scr)\0*.scr\0";
    return Ask(owner, kFilter, L"Save the saver", L"scr", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
               true, suggested, path);
}
