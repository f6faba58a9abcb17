#include "app/CurrentTick.h"

DWORD CurrentTick = 0;
