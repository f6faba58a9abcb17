// A private folder under /tmp for one test: files written into it, its entries listed (a
// test checks it is empty again at its end) and the folder itself removed when it goes,
// which only succeeds once it is empty.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

class ScratchFolder {
  public:
    // `name` becomes part of the folder's name, so that a left-over folder says whose it is.
    explicit ScratchFolder(const char* name) {
        std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
        m_path = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~ScratchFolder() { rmdir(m_path.c_str()); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    void Remove(const std::string& name) const { unlink(File(name).c_str()); }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* d = opendir(m_path.c_str())) {
            while (dirent* e = readdir(d)) {
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") {
                    names.push_back(e->d_name);
                }
            }
            closedir(d);
        }
        return names;
    }

  private:
    std::string m_path;
};
