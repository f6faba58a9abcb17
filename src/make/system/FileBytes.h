// Reading face files into memory, within the 4 GiB a payload entry holds and the memory
// there is, and writing finished savers out whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file; false (with the reason in `error`) when it cannot be read, exceeds
// 4 GiB, the largest face a payload holds, or does not fit in memory.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Reads at most `limit` bytes from the file's start into `bytes` and its whole length into
// `size`; false (with the reason in `error`) when it cannot be read.
bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                   uint64_t& size, std::string& error);

// Writes `bytes` to a file beside `path` and renames it over `path`, so that a failed write
// leaves the old file (which may be the template being read) as it was and no partial file
// behind. False with the reason in `error`.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
