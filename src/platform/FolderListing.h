// Reading a folder's entries one at a time, so that a caller can list a folder of any size
// in bounded steps and stop between any two of them. Names are UTF-8 (Windows: listed with
// the wide calls and converted; an entry whose name cannot be converted is passed over).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace names {

struct FolderEntry {
    std::string name; // the entry's own name, without its folder
    bool folder = false;
    // Hidden or system on Windows, a name starting with '.' natively: the user does not
    // see these, so neither does anything that lists photos.
    bool hidden = false;
    // A link to elsewhere (a junction, a symbolic link): a walk through these can loop.
    bool link = false;
    uint64_t size = 0;
    // Last write time, seconds since 1970 (UTC); 0 for a time before then.
    uint64_t writeTime = 0;
};

class FolderListing {
  public:
    FolderListing();
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // Starts listing `folder` (no trailing separator needed); false when it cannot be read.
    bool Open(const std::string& folder);
    // The next entry other than "." and ".."; false at the end or on an error.
    bool Next(FolderEntry& entry);
    void Close();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The separator of the system's paths.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// `folder` and `name` joined by one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The full path of `name` from the current folder; empty when there is none.
std::string FullPath(const char* name);

} // namespace names
