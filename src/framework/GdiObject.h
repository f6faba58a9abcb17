// Owning wrappers of GDI objects: the object deletes its GDI handle when it is destroyed
// or when DeleteObject is called. Natively there is no GDI: creation fails and the
// handle stays null.
#pragma once

#include "framework/Object.h"
#include "platform/Win32.h"

class CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
  public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
};

class CPalette : public CGdiObject {
    DECLARE_DYNAMIC(CPalette)
  public:
    BOOL CreatePalette(const LOGPALETTE* logPalette);
    UINT GetPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const;
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
};

#ifdef _WIN32
using VC_LOGFONT = LOGFONTA;
#else
struct VC_LOGFONT;
#endif

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
  public:
    BOOL CreateFontIndirect(const VC_LOGFONT* logFont);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
  public:
    BOOL CreateSolidBrush(COLORREF colour);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};
