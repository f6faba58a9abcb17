// Which face slots a set of files goes into when several arrive at once (a drop of many
// files, the Open dialog with several chosen).
#pragma once

#include <vector>

// Files dropped on slot `target` (0..5) fill it and the slots after it in face order; with
// no target (-1) they fill the empty slots in face order, or from slot 0 when none is empty.
// At most one slot per file; the result may be shorter than `files` when slots run out.
std::vector<int> SlotsForFiles(int target, int files, const bool occupied[6]);
