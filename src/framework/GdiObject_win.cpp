#include "framework/GdiObject.h"

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) {
        return FALSE;
    }
    return ::DeleteObject(Detach());
}

BOOL CPalette::CreatePalette(const LOGPALETTE* logPalette) {
    return logPalette && Attach(::CreatePalette(logPalette));
}

UINT CPalette::GetPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const {
    if (!m_hObject) {
        return 0;
    }
    return ::GetPaletteEntries(static_cast<HPALETTE>(m_hObject), start, count, entries);
}

BOOL CFont::CreateFontIndirect(const VC_LOGFONT* logFont) {
    return logFont && Attach(::CreateFontIndirectA(logFont));
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    return Attach(::CreateSolidBrush(colour));
}
