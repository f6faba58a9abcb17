#include "make/system/WorkFolderLock.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// flock locks belong to an open file, so a second open in this same process sees the first
// as another holder, as a test needs.
void* HoldLock(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
}

void ReleaseLock(void* lock) {
    if (lock) {
        close(static_cast<int>(reinterpret_cast<intptr_t>(lock) - 1));
    }
}

bool LockHeldElsewhere(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false; // no lock file: its run ended before it made one, or never made one
    }
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return held;
}

unsigned CurrentProcessNumber() {
    return static_cast<unsigned>(getpid());
}
