// Message maps: each window class lists the messages it handles in a static table, and
// the window procedure walks the tables from the most derived class to CWnd. An entry
// holds a small adapter (a capture-less lambda made by the ON_... macros) that unpacks
// wParam and lParam for the handler's typed signature, so handlers stay ordinary member
// functions and the dispatcher needs no per-signature switch.
//
// The tables exist only in the Windows build: natively DECLARE_MESSAGE_MAP declares
// nothing, so classes such as the settings dialog compile without their window code.
#pragma once

#include "platform/Win32.h"

class CWnd;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nID; // WM_COMMAND entries: the command id; 0 elsewhere
    LRESULT (*pfn)(CWnd* target, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries; // ends with an entry whose pfn is null
};

// A control receives its parent's colour request as this message plus WM_CTLCOLOR's
// number (the classic reflection scheme), so the control colours itself.
#define WM_REFLECT_BASE 0xBC00
#define VC_WM_CTLCOLOR 0x0019

#ifdef _WIN32

#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, nullptr }                                                                              \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries};                     \
    return &map;                                                                                   \
    }

#define VC_ON(msg, id, body)                                                                       \
    {msg, id, [](CWnd* w, WPARAM wParam, LPARAM lParam) -> LRESULT {                               \
         [[maybe_unused]] auto* self = static_cast<ThisClass*>(w);                                 \
         (void)wParam;                                                                             \
         (void)lParam;                                                                             \
         body                                                                                      \
     }},

#define VC_POINT_FROM_LPARAM(l)                                                                    \
    POINT {                                                                                        \
        static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))                               \
    }

// int OnCreate(LPCREATESTRUCT)
#define ON_WM_CREATE()                                                                             \
    VC_ON(WM_CREATE, 0, return self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));)
// void OnDestroy()
#define ON_WM_DESTROY() VC_ON(WM_DESTROY, 0, self->OnDestroy(); return 0;)
// void OnPaint()
#define ON_WM_PAINT() VC_ON(WM_PAINT, 0, self->OnPaint(); return 0;)
// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER() VC_ON(WM_TIMER, 0, self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)
// void OnLButtonDown(UINT flags, POINT point)
#define ON_WM_LBUTTONDOWN()                                                                        \
    VC_ON(WM_LBUTTONDOWN, 0,                                                                       \
          self->OnLButtonDown(static_cast<UINT>(wParam), VC_POINT_FROM_LPARAM(lParam));            \
          return 0;)
// void OnLButtonUp(UINT flags, POINT point)
#define ON_WM_LBUTTONUP()                                                                          \
    VC_ON(WM_LBUTTONUP, 0,                                                                         \
          self->OnLButtonUp(static_cast<UINT>(wParam), VC_POINT_FROM_LPARAM(lParam));              \
          return 0;)
// void OnPaletteChanged(CWnd* focusWnd)
#define ON_WM_PALETTECHANGED()                                                                     \
    VC_ON(WM_PALETTECHANGED, 0,                                                                    \
          self->OnPaletteChanged(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));                \
          return 0;)
// BOOL OnQueryNewPalette()
#define ON_WM_QUERYNEWPALETTE() VC_ON(WM_QUERYNEWPALETTE, 0, return self->OnQueryNewPalette();)
// BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
#define ON_WM_SETCURSOR()                                                                          \
    VC_ON(WM_SETCURSOR, 0,                                                                         \
          return self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),               \
                                   LOWORD(lParam), HIWORD(lParam));)
// HBRUSH CtlColor(HDC dc, UINT ctlColor), the colour request reflected from the parent;
// wParam is the control's DC, lParam the CTLCOLOR kind.
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    VC_ON(WM_REFLECT_BASE + VC_WM_CTLCOLOR, 0,                                                     \
          return reinterpret_cast<LRESULT>(                                                        \
              self->CtlColor(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam)));)
// void handler()
#define ON_COMMAND(id, handler) VC_ON(WM_COMMAND, id, self->handler(); return 0;)
// LRESULT handler(WPARAM, LPARAM)
#define ON_MESSAGE(msg, handler) VC_ON(msg, 0, return self->handler(wParam, lParam);)

#else

#define DECLARE_MESSAGE_MAP() protected:

#endif
