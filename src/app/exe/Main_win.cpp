// The executable's own translation unit: the one application object and the entry point.
// Kept out of the libraries so the linker always takes both.
#include "app/CubeSaverApp.h"

CubeSaverApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
    return AfxWinMain(instance, cmdLine, cmdShow);
}
