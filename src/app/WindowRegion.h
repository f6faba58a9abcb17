// The drawing region an animation window draws into: a new, not yet initialised region
// with the given transparency option, or null when it cannot be allocated.
#pragma once

class RastelRegion;

RastelRegion* NewWindowRegion(int regionOption);
