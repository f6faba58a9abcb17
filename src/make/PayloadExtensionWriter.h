// Writing the payload's extension block (app/PayloadExtension.h): the magic, the version and
// one record per setting the block carries.
#pragma once

#include "app/PayloadExtension.h"

#include <cstdint>
#include <vector>

// The block for `extension`'s settings (its `present` and `records` are not written).
std::vector<uint8_t> FormatPayloadExtension(const PayloadExtension& extension);
