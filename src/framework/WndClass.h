// Window classes registered on demand for the framework's windows.
#pragma once

#include "platform/Win32.h"

// The name of a window class with these properties, registered on first use and shared
// by every later call with the same four values. The class's procedure is DefWindowProc;
// windows created through CWnd::CreateEx are bound to their object before their first
// message. Null when registration fails.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);
