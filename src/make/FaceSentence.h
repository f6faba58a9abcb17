// What a face will show, in words for the maker's slots: one plain sentence ("Shown, turned
// upright and made smaller", "Not shown: the file is damaged"), and the details a click or
// a tooltip away (the pack tool's line with sizes and formats, and what was done).
#pragma once

#include "make/SaverProject.h"

#include <string>

std::string FaceSentence(const ProjectFace& face);
// The pack tool's line for the face under `label`, then each note on a line of its own.
std::string FaceDetails(const ProjectFace& face, const std::string& label);
