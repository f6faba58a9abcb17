#include "app/ReportError.h"

#include "app/Resource.h"
#include "framework/WinApp.h"

void ReportError(UINT stringId) {
    char caption[64] = "";
    char text[512] = "";
    LoadStringA(AfxGetInstanceHandle(), IDS_CAPTION, caption, sizeof caption);
    LoadStringA(AfxGetInstanceHandle(), stringId, text, sizeof text);
    MessageBoxA(AfxGetSafeOwner(), text, caption, MB_ICONWARNING | MB_OK);
}
