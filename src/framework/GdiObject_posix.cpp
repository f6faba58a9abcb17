// Natively there is no GDI: nothing can be created, so there is never anything to delete.
#include "framework/GdiObject.h"

BOOL CGdiObject::DeleteObject() {
    m_hObject = nullptr;
    return FALSE;
}

BOOL CPalette::CreatePalette(const LOGPALETTE*) {
    return FALSE;
}
UINT CPalette::GetPaletteEntries(UINT, UINT, PALETTEENTRY*) const {
    return 0;
}
BOOL CFont::CreateFontIndirect(const VC_LOGFONT*) {
    return FALSE;
}
BOOL CBrush::CreateSolidBrush(COLORREF) {
    return FALSE;
}
