// A temporary file that is deleted when it goes out of scope, on every path.
#pragma once

#include <cstdint>
#include <span>
#include <string>

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
