// Listing a folder and its subfolders for photos, in steps of a bounded number of entries,
// so that the worker that runs it can decode between two steps and stop at any of them.
// Taken: files not hidden or system whose extension names a picture format the importer
// reads (the content decides later, when one is decoded). Not followed: links and
// junctions (a walk through them can loop), folders deeper than kMaxScanDepth.
#pragma once

#include "platform/FolderListing.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kMaxScanDepth = 32;
// Entries listed in all before the walk gives up: a tree of millions of other files
// is not searched to its end.
constexpr uint64_t kMaxScanEntries = 2000000;

struct FoundPhoto {
    std::string path; // full path, UTF-8
    uint64_t writeTime = 0;
};

// True when `name` ends in the extension of a picture format the importer reads.
bool IsPictureName(const std::string& name);

class PhotoScan {
  public:
    enum class Status { kListing, kDone, kNoFolder };

    explicit PhotoScan(std::string root);
    ~PhotoScan();

    // Lists at most `entries` more entries, adding the photos among them to `found`.
    // kNoFolder when the folder itself cannot be listed (gone, a share away); a subfolder
    // that cannot be listed is passed over.
    Status Step(uint32_t entries, std::vector<FoundPhoto>& found);

  private:
    struct Level {
        std::string path;
        names::FolderListing listing;
    };
    std::string m_root;
    std::vector<std::unique_ptr<Level>> m_levels; // the open folders, root first
    bool m_started = false;
    uint64_t m_listed = 0;
};
