#include "PhotoFolderDlg.h"

#include "MakerResource.h"
#include "platform/Wide.h"

#include <shlobj.h>

#include <string>

namespace {

std::wstring WindowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

// The folder browser of every Windows since 95 (the newer item dialog is not on XP).
void BrowseForFolder(HWND dialog) {
    wchar_t chosen[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = dialog;
    info.lpszTitle = L"The folder whose photos the faces show (its subfolders too):";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.pszDisplayName = chosen;
    if (LPITEMIDLIST item = SHBrowseForFolderW(&info)) {
        if (SHGetPathFromIDListW(item, chosen)) {
            SetDlgItemTextW(dialog, IDC_PHOTO_PATH, chosen);
        }
        CoTaskMemFree(item);
    }
}

void Show(HWND dialog, const PhotoFolderSetting& setting) {
    SetDlgItemTextW(dialog, IDC_PHOTO_PATH, wide::FromUtf8(setting.path).c_str());
    const HWND order = GetDlgItem(dialog, IDC_PHOTO_ORDER);
    for (const wchar_t* name :
         {L"Shuffled, none twice until all are shown", L"By name", L"By date taken"}) {
        SendMessageW(order, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageW(order, CB_SETCURSEL, static_cast<WPARAM>(setting.order), 0);
    SetDlgItemInt(dialog, IDC_PHOTO_CHANGE, setting.changeSeconds, FALSE);
}

// False, with the dialog left open and the reason shown, for a value the saver cannot take.
bool Take(HWND dialog, PhotoFolderSetting& setting) {
    std::string path;
    if (!wide::ToUtf8(WindowText(GetDlgItem(dialog, IDC_PHOTO_PATH)), path) ||
        path.size() > kMaxPhotoFolderBytes) {
        MessageBoxW(dialog, L"That folder name cannot be stored.", L"Photos from a folder",
                    MB_OK | MB_ICONWARNING);
        return false;
    }
    BOOL ok = FALSE;
    const UINT seconds = GetDlgItemInt(dialog, IDC_PHOTO_CHANGE, &ok, FALSE);
    if (!path.empty() && (!ok || seconds < 1 || seconds > kMaxChangeSeconds)) {
        MessageBoxW(dialog, L"A face changes its photo every 1 to 86400 seconds.",
                    L"Photos from a folder", MB_OK | MB_ICONWARNING);
        return false;
    }
    const LRESULT order = SendDlgItemMessageW(dialog, IDC_PHOTO_ORDER, CB_GETCURSEL, 0, 0);
    setting.path = path;
    setting.order =
        order >= 0 && order <= 2 ? static_cast<PhotoOrder>(order) : PhotoOrder::kShuffle;
    setting.changeSeconds = path.empty() ? kDefaultChangeSeconds : seconds;
    return true;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    auto* setting = reinterpret_cast<PhotoFolderSetting*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, l);
        Show(dialog, *reinterpret_cast<PhotoFolderSetting*>(l));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(w)) {
        case IDC_PHOTO_BROWSE:
            BrowseForFolder(dialog);
            return TRUE;
        case IDC_PHOTO_NONE:
            SetDlgItemTextW(dialog, IDC_PHOTO_PATH, L"");
            return TRUE;
        case IDOK:
            if (Take(dialog, *setting)) {
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool AskPhotoFolder(HWND owner, PhotoFolderSetting& setting) {
    PhotoFolderSetting chosen = setting;
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PHOTO_FOLDER), owner,
                        &DialogProc, reinterpret_cast<LPARAM>(&chosen));
    if (result != IDOK) {
        return false;
    }
    setting = chosen;
    return true;
}
