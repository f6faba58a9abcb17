// INTERIM stand-ins for the graphics start-up: nothing is prepared, so the renderer runs
// without its percent table and palette until the real functions arrive.
#include "app/GraphicsServices.h"

int InitGraphics() {
    return 1;
}
void FreeGraphics() {}
