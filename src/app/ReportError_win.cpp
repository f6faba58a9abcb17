#include "app/ReportError.h"

#include "app/Resource.h"
#include "framework/WinApp.h"

void ReportError(UINT stringId) {
    // The wide calls keep the resource's texts whatever the system's code page.
    wchar_t caption[64] = L"";
    wchar_t text[512] = L"";
    LoadStringW(AfxGetInstanceHandle(), IDS_CAPTION, caption, 64);
    LoadStringW(AfxGetInstanceHandle(), stringId, text, 512);
    MessageBoxW(AfxGetSafeOwner(), text, caption, MB_ICONWARNING | MB_OK);
}
