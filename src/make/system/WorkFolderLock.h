// The system side of WorkFolder: a lock file held for the life of the process.
#pragma once

#include <string>

// Creates and holds the lock file; null when it cannot.
void* HoldLock(const std::string& path);
// Lets it go (on Windows the file goes with it).
void ReleaseLock(void* lock);
// Whether another living process holds the lock file at `path`.
bool LockHeldElsewhere(const std::string& path);
// A number that tells this process from the others running (its id).
unsigned CurrentProcessNumber();
