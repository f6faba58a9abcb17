// INTERIM: the graphics start-up and shut-down (renderer work memory, percent table,
// application palette) until the picture-import side provides them; then this header
// includes theirs and GraphicsServices_win.cpp goes.
#pragma once

int InitGraphics();
void FreeGraphics();
