// The settings object's window: the About box of configuration mode.
#include "app/CubeSettingsDlg.h"

#include "app/Resource.h"
#include "framework/WinApp.h"

#include <cstdio>

BEGIN_MESSAGE_MAP(CubeSettingsDlg, CDialog)
ON_WM_CREATE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
constexpr char kProductPage[] = "http://www.vomra.example/framewright/";
constexpr double kVersion = 2.01;
} // namespace

BOOL CubeSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWnd* version = GetDlgItem(IDC_VERSION)) {
        char format[64] = "";
        char text[96] = "";
        LoadStringA(AfxGetInstanceHandle(), IDS_VERSION, format, sizeof format);
        std::snprintf(text, sizeof text, format, kVersion);
        version->SetWindowText(text);
    }
    m_link.SetTarget(kProductPage);
    m_link.SetVisited(false);
    m_link.SubclassDlgItem(IDC_WEBLINK, this);
    return TRUE;
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
