#include "platform/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace names {

struct FolderListing::State {
    DIR* dir = nullptr;
};

FolderListing::FolderListing() : m_state(std::make_unique<State>()) {}

FolderListing::~FolderListing() {
    Close();
}

bool FolderListing::Open(const std::string& folder) {
    Close();
    m_state->dir = opendir(folder.c_str());
    return m_state->dir != nullptr;
}

bool FolderListing::Next(FolderEntry& entry) {
    while (m_state->dir) {
        const dirent* e = readdir(m_state->dir);
        if (!e) {
            Close();
            return false;
        }
        const std::string_view name(e->d_name);
        struct stat st;
        if (name == "." || name == ".." ||
            fstatat(dirfd(m_state->dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        entry.name = name;
        entry.link = S_ISLNK(st.st_mode);
        entry.folder = S_ISDIR(st.st_mode);
        entry.hidden = name[0] == '.';
        entry.size = static_cast<uint64_t>(st.st_size);
        entry.writeTime = st.st_mtime > 0 ? static_cast<uint64_t>(st.st_mtime) : 0;
        return true;
    }
    return false;
}

void FolderListing::Close() {
    if (m_state->dir) {
        closedir(m_state->dir);
        m_state->dir = nullptr;
    }
}

std::string FullPath(const char* name) {
    if (!name || !*name) {
        return {};
    }
    if (name[0] == '/') {
        return name;
    }
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? JoinPath(cwd, name) : std::string();
}

} // namespace names
