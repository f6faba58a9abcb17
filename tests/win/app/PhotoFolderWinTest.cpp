// The photo folder's system calls on Windows: the listing in steps passes over hidden and
// system files and lists names in any script whole; the threads' signal and join bound
// their waits, and each thread runs at the priority asked for.
#include "../WinCheck.h"

#include "framework/File.h"
#include "import/PhotoScan.h"
#include "platform/FileNames.h"
#include "platform/Threads.h"
#include "platform/Wide.h"
#include "platform/WorkerThread.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct PhotoFolder {
    std::string path = names::TempFolder() + "Φωτογραφίες " + std::to_string(GetTickCount());
    std::vector<std::string> files;
    PhotoFolder() { CHECK(names::MakeFolder(path.c_str())); }
    ~PhotoFolder() {
        for (auto it = files.rbegin(); it != files.rend(); ++it) {
            const std::wstring w = wide::FromUtf8(*it);
            SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!names::Remove(it->c_str())) {
                names::RemoveFolder(it->c_str());
            }
        }
        CHECK(names::RemoveFolder(path.c_str()));
    }
    std::string Put(const std::string& name, DWORD attributes = 0) {
        const std::string full = path + "\\" + name;
        CFile out;
        CHECK(out.Open(full.c_str(), CFile::modeCreate | CFile::modeWrite));
        out.Close();
        if (attributes) {
            SetFileAttributesW(wide::FromUtf8(full).c_str(), attributes);
        }
        files.push_back(full);
        return full;
    }
    void Folder(const std::string& name) {
        const std::string full = path + "\\" + name;
        CHECK(names::MakeFolder(full.c_str()));
        files.push_back(full);
    }
};

WIN_TEST(PhotoScanSkipsHiddenAndSystemFilesAndKeepsNamesWhole) {
    PhotoFolder folder;
    folder.Folder("東京");
    const std::string shown = folder.Put("東京\\夜景.jpg");
    const std::string plain = folder.Put("a.PNG");
    folder.Put("hidden.jpg", FILE_ATTRIBUTE_HIDDEN);
    folder.Put("system.jpg", FILE_ATTRIBUTE_SYSTEM);
    folder.Put("notes.txt");
    PhotoScan scan(folder.path);
    std::vector<FoundPhoto> found;
    int steps = 0;
    while (scan.Step(2, found) == PhotoScan::Status::kListing && ++steps < 1000) {
    }
    std::vector<std::string> paths;
    for (const FoundPhoto& f : found) {
        paths.push_back(f.path);
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> expected{plain, shown};
    std::sort(expected.begin(), expected.end());
    CHECK(paths == expected);
    CHECK(found.empty() || found[0].writeTime > 1000000000u); // seconds since 1970, not 1601

    std::vector<FoundPhoto> none;
    PhotoScan gone(folder.path + "\\gone");
    CHECK(gone.Step(10, none) == PhotoScan::Status::kNoFolder);
}

void Sleeper(void* wake) {
    static_cast<threads::Wake*>(wake)->Wait(2000);
}

WIN_TEST(ThreadsWakeAndJoinWithinTheirBounds) {
    threads::Wake wake;
    threads::Thread thread;
    CHECK(thread.Start(&Sleeper, &wake));
    CHECK(!thread.Join(20)); // still waiting on the signal
    wake.Set();
    CHECK(thread.Join(2000));
    CHECK(!wake.Wait(0));
    wake.Set();
    CHECK(wake.Wait(0));
}

void NotePriority(void* priority) {
    *static_cast<int*>(priority) = GetThreadPriority(GetCurrentThread());
}

// The folder's scan waits below the window thread; read-ahead frames, which the window
// thread waits for, do not.
WIN_TEST(ThreadsRunAtThePriorityAsked) {
    int below = 99;
    threads::Thread scan;
    CHECK(scan.Start(&NotePriority, &below));
    CHECK(scan.Join(5000));
    CHECK(below == THREAD_PRIORITY_BELOW_NORMAL);

    int worker = 99;
    WorkerThread frames;
    CHECK(frames.Start());
    frames.Post(&NotePriority, &worker);
    frames.Wait();
    CHECK(worker == THREAD_PRIORITY_NORMAL);
}

} // namespace
