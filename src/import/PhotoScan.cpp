#include "import/PhotoScan.h"

#include <new>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Every extension under which the formats of ImageImporter are commonly stored.
const char* const kPictureExtensions[] = {
    "bmp",  "dib", "rle", "ico",  "cur",  "gif",  "jpg",  "jpeg", "jpe",
    "jfif", "png", "tif", "tiff", "heic", "heif", "avif", "webp",
};

} // namespace

bool IsPictureName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot > 5) {
        return false;
    }
    std::string extension;
    for (size_t i = dot + 1; i < name.size(); ++i) {
        extension += Lower(name[i]);
    }
    for (const char* known : kPictureExtensions) {
        if (extension == known) {
            return true;
        }
    }
    return false;
}

PhotoScan::PhotoScan(std::string root) : m_root(std::move(root)) {}
PhotoScan::~PhotoScan() = default;

PhotoScan::Status PhotoScan::Step(uint32_t entries, std::vector<FoundPhoto>& found) {
    try {
        if (!m_started) {
            m_started = true;
            auto root = std::make_unique<Level>();
            root->path = m_root;
            if (!root->listing.Open(m_root)) {
                return Status::kNoFolder;
            }
            m_levels.push_back(std::move(root));
        }
        names::FolderEntry entry;
        for (uint32_t n = 0; n < entries && !m_levels.empty(); ++n) {
            Level& level = *m_levels.back();
            if (m_listed >= kMaxScanEntries || !level.listing.Next(entry)) {
                m_levels.pop_back();
                continue;
            }
            ++m_listed;
            if (entry.hidden || entry.link) {
                continue;
            }
            std::string path = names::JoinPath(level.path, entry.name);
            if (entry.folder) {
                if (m_levels.size() < static_cast<size_t>(kMaxScanDepth)) {
                    auto sub = std::make_unique<Level>();
                    sub->path = std::move(path);
                    if (sub->listing.Open(sub->path)) {
                        m_levels.push_back(std::move(sub));
                    }
                }
            } else if (IsPictureName(entry.name)) {
                found.push_back({std::move(path), entry.writeTime});
            }
        }
    } catch (const std::bad_alloc&) {
        m_levels.clear(); // what was found stands; the rest is not listed
    }
    return m_levels.empty() ? Status::kDone : Status::kListing;
}
