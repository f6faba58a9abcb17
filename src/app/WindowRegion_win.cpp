#include "app/WindowRegion.h"

// Until the renderer's DIB-section region exists, the executable links an interim one
// (exe/InterimRegion_win.cpp) that defines NewWindowRegion instead.
#if __has_include("render/CreateDIBSectRegion.h")
#include "render/CreateDIBSectRegion.h"

#include <new>

RastelRegion* NewWindowRegion(int regionOption) {
    return new (std::nothrow) CreateDIBSectRegion(regionOption);
}
#endif
