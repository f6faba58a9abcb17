// A temporary file that is deleted when it goes out of scope, on every path.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Where TempFile makes its files from now on (a WorkFolder); empty for the temporary
// folder. Set at a program's start, before any other thread runs.
void UseTempFolder(const std::string& folder);
// The folder UseTempFolder gave, or the temporary folder.
std::string TempFolder();

class TempFile {
  public:
    // Makes an empty file in TempFolder(); Path() is empty when none could be made.
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
