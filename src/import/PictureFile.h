// Picture and face files read whole into memory, for the entry points that take a name:
// each reads the file and hands its bytes to the form that takes bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

enum class PictureFileRead {
    kOk,
    kCannotOpen, // neither the full name nor the bare name opens, or a read fails
    kTooLarge,   // longer than the limit asked for
    kNoMemory,
};

// Reads the whole file `fileName` (the full name, else the bare name after the last
// backslash: face files may name a folder that is gone) into `bytes`, refusing a file of
// more than `maxBytes`. Never throws; `bytes` is empty unless the result is kOk.
PictureFileRead ReadPictureFile(const char* fileName, uint64_t maxBytes,
                                std::vector<uint8_t>& bytes);
