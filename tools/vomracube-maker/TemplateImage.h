// The plain saver the maker carries inside itself as a resource: the executable every
// finished saver is a copy of, so that the maker is one file.
#pragma once

#include <cstdint>
#include <vector>

// False when the resource is missing (a maker built without it).
bool LoadSaverTemplate(std::vector<uint8_t>& image);
