// Natively there is no screen: regions draw at 32 bits unless constructed with another
// depth, and there is no palette to realise.
#include "render/region/RegionDisplay.h"

int ScreenDisplayDepth() {
    return 32;
}

BOOL RealizeAppPalette(CWnd*) {
    return 0;
}
