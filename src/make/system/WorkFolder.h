// A folder of one run's own for its temporary files (the maker's face files, converted clips,
// the saver being tried), marked as in use for as long as the run's process lives by a lock
// file it holds open: on Windows opened without sharing and deleted on close, elsewhere
// locked with flock. Either way the mark goes with the process, killed or not, so a run
// that starts can tell the folders of dead runs and remove them with what they hold.
#pragma once

#include <string>

class WorkFolder {
  public:
    // Makes a folder under `parent` (made if need be) after removing the folders there that
    // no living run holds.
    explicit WorkFolder(const std::string& parent);
    // Removes the folder and whatever is left in it, and the parent once it is empty.
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Empty when none could be made (temporary files then go to the temporary folder).
    const std::string& Path() const { return m_path; }
    // How many folders of dead runs were removed.
    int Removed() const { return m_removed; }

  private:
    std::string m_parent;
    std::string m_path;
    int m_removed = 0;
    void* m_lock = nullptr; // the open lock file
};

// The lock file's name inside a work folder.
constexpr char kWorkFolderLock[] = "in-use.lock";
