// The maker's "Photos from a folder..." dialog: the folder whose photos the faces without a
// file show, their order and how often a face changes its photo (the pack tool's --photos,
// --order and --change).
#pragma once

#include "import/PhotoFolderSetting.h"
#include "platform/Win32.h"

// Shows the dialog over `owner`, starting from `setting`; true when the user pressed OK,
// with `setting` then as chosen (an empty path: no folder).
bool AskPhotoFolder(HWND owner, PhotoFolderSetting& setting);
