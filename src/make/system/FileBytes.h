// Reading face files into memory, within the 4 GiB a payload entry holds and the memory
// there is, and writing finished savers out whole.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Reads a whole file; false (with the reason in `error`) when it cannot be read, exceeds
// 4 GiB, the largest face a payload holds, or does not fit in memory.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// The file's size; false when it is no file that can be measured.
bool FileSize(const std::string& path, uint64_t& size);

// Reads at most `limit` bytes from the file's start into `bytes` and its whole length into
// `size`; false (with the reason in `error`) when it cannot be read.
bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                   uint64_t& size, std::string& error);

// Writes `bytes` to a file beside `path` and renames it over `path`, so that a failed write
// leaves the old file (which may be the template being read) as it was and no partial file
// behind. False with the reason in `error`.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// The same, with the content given piece by piece: `write` calls the sink it gets with each
// piece in turn and returns false when it gave up (the sink's own failure included), which
// leaves no file behind. A failure of `write` itself is told by `why` (kept in `error` as
// it is); a failure to write the disk fills `error` with the cause.
using FileSink = std::function<bool(std::span<const uint8_t>)>;
bool ReplaceFileStreamed(const std::string& path, const std::function<bool(const FileSink&)>& write,
                         std::string& error);
