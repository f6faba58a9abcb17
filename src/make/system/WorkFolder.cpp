#include "make/system/WorkFolder.h"

#include "make/system/WorkFolderLock.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
// Folders of runs are named "run-" and a number that this run makes unique with its folder.
constexpr char kRunPrefix[] = "run-";
constexpr int kMostTries = 1000;

bool IsRunFolder(const fs::directory_entry& entry) {
    std::error_code unused;
    return entry.is_directory(unused) && entry.path().filename().string().rfind(kRunPrefix, 0) == 0;
}
} // namespace

WorkFolder::WorkFolder(const std::string& parent) : m_parent(parent) {
    std::error_code error;
    fs::create_directories(parent, error);
    for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        const std::string lock = (it->path() / kWorkFolderLock).string();
        if (IsRunFolder(*it) && !LockHeldElsewhere(lock)) {
            std::error_code unused;
            m_removed += fs::remove_all(it->path(), unused) != static_cast<std::uintmax_t>(-1);
        }
    }
    const unsigned start = CurrentProcessNumber();
    for (int i = 0; i < kMostTries && m_path.empty(); ++i) {
        const fs::path folder = fs::path(parent) / (kRunPrefix + std::to_string(start + i));
        if (!fs::create_directory(folder, error)) {
            continue;
        }
        m_lock = HoldLock((folder / kWorkFolderLock).string());
        if (m_lock) {
            m_path = folder.string();
        } else {
            fs::remove(folder, error);
        }
    }
}

WorkFolder::~WorkFolder() {
    if (m_path.empty()) {
        return;
    }
    ReleaseLock(m_lock);
    std::error_code unused;
    fs::remove_all(m_path, unused);
    // The parent goes too when no other run has a folder in it.
    fs::remove(m_parent, unused);
}
