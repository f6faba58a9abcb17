// What a drawing region asks of the display: its depth (planes x bits per pixel of the
// screen; natively 32) and, on palette displays, the realisation of the application
// palette in a window.
#pragma once

#include "platform/Win32.h"

class CWnd;

int ScreenDisplayDepth();
// Selects the application palette into the window's DC as a foreground palette and
// realises it; returns whether any entry was mapped (0 when there is no DC).
BOOL RealizeAppPalette(CWnd* window);
