#include "InstallDialog.h"

#include "MakerResource.h"
#include "framework/WinApp.h"
#include "platform/Wide.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {
struct InstallChoice {
    std::string saverName;
    int minutes = 10;
    std::vector<int> waits;
};

void FillWaits(HWND dialog, InstallChoice& choice) {
    choice.waits.assign(std::begin(kInstallWaits), std::end(kInstallWaits));
    if (std::find(choice.waits.begin(), choice.waits.end(), choice.minutes) == choice.waits.end()) {
        choice.waits.insert(
            std::upper_bound(choice.waits.begin(), choice.waits.end(), choice.minutes),
            choice.minutes);
    }
    const HWND list = GetDlgItem(dialog, IDC_INSTALL_WAIT);
    for (size_t i = 0; i < choice.waits.size(); ++i) {
        SendMessageW(list, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(wide::FromUtf8(WaitText(choice.waits[i])).c_str()));
        if (choice.waits[i] == choice.minutes) {
            SendMessageW(list, CB_SETCURSEL, i, 0);
        }
    }
}

INT_PTR CALLBACK InstallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* choice = reinterpret_cast<InstallChoice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        choice = reinterpret_cast<InstallChoice*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const std::string text = "\"" + choice->saverName +
                                 "\" becomes your screen saver. Windows starts it when the "
                                 "computer has not been used for the time chosen here.";
        SetDlgItemTextW(dialog, IDC_INSTALL_TEXT, wide::FromUtf8(text).c_str());
        FillWaits(dialog, *choice);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_INSTALL_SETTINGS:
            OpenWindowsSaverSettings(dialog);
            return TRUE;
        case IDOK: {
            const LRESULT chosen =
                SendDlgItemMessageW(dialog, IDC_INSTALL_WAIT, CB_GETCURSEL, 0, 0);
            if (chosen >= 0 && static_cast<size_t>(chosen) < choice->waits.size()) {
                choice->minutes = choice->waits[static_cast<size_t>(chosen)];
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
} // namespace

bool AskInstall(HWND owner, const std::string& saverName, int& minutes) {
    InstallChoice choice{saverName, std::max(1, minutes), {}};
    const INT_PTR answer = DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDD_INSTALL),
                                           owner, InstallProc, reinterpret_cast<LPARAM>(&choice));
    if (answer != IDOK) {
        return false;
    }
    minutes = choice.minutes;
    return true;
}

// The control panel's screen saver page: "control desk.cpl,,@screensaver".
bool OpenWindowsSaverSettings(HWND owner) {
    const HINSTANCE started = ShellExecuteW(owner, L"open", L"control.exe",
                                            L"desk.cpl,,@screensaver", nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

int CurrentSaverWait() {
    UINT seconds = 0;
    if (!SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0) || seconds == 0) {
        return 10;
    }
    return std::max(1, static_cast<int>((seconds + 30) / 60));
}

bool SetSaverWait(int minutes) {
    return SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(minutes) * 60, nullptr,
                                 SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != FALSE;
}
