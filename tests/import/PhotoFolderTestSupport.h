// A folder tree of photos for the folder-source tests, removed whole when it goes.
#pragma once

#include "PictureSourceTestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

class PhotoTree {
  public:
    PhotoTree() : m_root(ScratchRoot()) {}
    ~PhotoTree() {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    PhotoTree(const PhotoTree&) = delete;
    PhotoTree& operator=(const PhotoTree&) = delete;

    const std::string& Root() const { return m_root; }
    // Writes `relative` (folders made as needed); returns its full path.
    std::string Put(const std::string& relative, const std::vector<uint8_t>& bytes) const {
        const std::filesystem::path path = std::filesystem::path(m_root) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    // A solid-colour BMP photo, its colour told by its index.
    std::string PutPhoto(const std::string& relative, int index, int side = 8) const {
        return Put(relative, MakeBmp24(side, side, static_cast<uint8_t>(index),
                                       static_cast<uint8_t>(index >> 8), 0x40));
    }

  private:
    static std::string ScratchRoot() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vc-photos.XXXXXX").string();
        return mkdtemp(pattern.data()) ? pattern : std::string();
    }
    std::string m_root;
};
