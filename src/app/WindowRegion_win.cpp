#include "app/WindowRegion.h"

#include "render/region/CreateDIBSectRegion.h"

#include <new>

RastelRegion* NewWindowRegion(int regionOption) {
    return new (std::nothrow) CreateDIBSectRegion(regionOption);
}
