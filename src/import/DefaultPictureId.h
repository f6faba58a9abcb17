// The default picture's bitmap resource id. The resource script includes this file as well
// as the code, so it holds nothing but a macro.
#pragma once

#define IDB_DEFAULTPICTURE 140
