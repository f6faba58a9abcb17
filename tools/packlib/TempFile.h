// A temporary file that is deleted when it goes out of scope, on every path.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TempFile {
  public:
    // Makes an empty file in the temporary folder; Path() is empty when none could be made.
    TempFile();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return m_path; }
    // Replaces the file's content; false when it cannot be written.
    bool Write(std::span<const uint8_t> bytes) const;

  private:
    std::string m_path;
};

// Reads a whole file; false (with the reason in `error`) when it cannot be read or exceeds
// 4 GiB, the largest face a payload holds.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
