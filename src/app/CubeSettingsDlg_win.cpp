// The settings object's window: the About box of configuration mode.
#include "app/CubeSettingsDlg.h"

#include "VomraCubeVersion.h"
#include "app/MakerLaunch.h"
#include "app/Resource.h"
#include "framework/WinApp.h"

#include <cstdio>
#include <vector>

BEGIN_MESSAGE_MAP(CubeSettingsDlg, CDialog)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_COMMAND(IDC_CHANGE_SETTINGS, OnChangeSettings)
END_MESSAGE_MAP()

namespace {
constexpr char kProductPage[] = "http://www.vomra.example/framewright/";

// A string of the resources with its one "%s" replaced by `argument` (taken as it is, never
// as a format).
std::wstring FormatResourceString(UINT id, const std::wstring& argument) {
    wchar_t format[512] = L"";
    LoadStringW(AfxGetInstanceHandle(), id, format, 512);
    std::wstring text = format;
    if (const size_t at = text.find(L"%s"); at != std::wstring::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}

std::wstring OwnPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size() || path.size() >= 32768) {
            return std::wstring(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}
} // namespace

BOOL CubeSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWnd* version = GetDlgItem(IDC_VERSION)) {
        char format[64] = "";
        char text[96] = "";
        LoadStringA(AfxGetInstanceHandle(), IDS_VERSION, format, sizeof format);
        std::snprintf(text, sizeof text, format, VC_VERSION_TEXT);
        version->SetWindowText(text);
    }
    m_link.SetTarget(kProductPage);
    m_link.SetVisited(false);
    m_link.SubclassDlgItem(IDC_WEBLINK, this);
    return TRUE;
}

// The maker takes over: the About box closes once it has started. Without an installed
// maker the box stays and says where to get it.
void CubeSettingsDlg::OnChangeSettings() {
    std::wstring error;
    switch (StartInstalledMaker(OwnPath(), error)) {
    case MakerStart::kStarted:
        OnOK();
        return;
    case MakerStart::kNotInstalled:
        MessageBoxW(m_hWnd, FormatResourceString(IDS_NOMAKER, L"" VC_VERSION_TEXT).c_str(),
                    L"VomraCube", MB_OK | MB_ICONINFORMATION);
        return;
    case MakerStart::kFailed:
        MessageBoxW(m_hWnd, FormatResourceString(IDS_MAKERFAILED, error).c_str(), L"VomraCube",
                    MB_OK | MB_ICONWARNING);
        return;
    }
}

void CubeSettingsDlg::OnOK() {
    CDialog::OnOK();
    DestroyWindow();
}

void CubeSettingsDlg::OnCancel() {
    CDialog::OnCancel();
    DestroyWindow();
}

int CubeSettingsDlg::OnCreate(LPCREATESTRUCT) {
    return Default() == -1 ? -1 : 0;
}

// The About box is going: its faces are not needed any more, nor their files.
void CubeSettingsDlg::OnDestroy() {
    ReleaseFaces();
    Default();
}
