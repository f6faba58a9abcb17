// SHA-1 (FIPS 180-4) of a byte string, as 40 lower-case hex digits: names the output files
// after their input's content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string Sha1Hex(const uint8_t* data, size_t size);
