// The folder photos of a running saver: one worker thread lists the folder and decodes the
// photos the faces ask for, one at a time, while the window thread only takes what is ready.
// Every scene of the saver asks this one object, so no photo is on two faces at once.
//
// The worker decodes a request before it lists further, so the first photos show long
// before the listing of a large folder ends; it lists in steps of kScanStep entries. A
// folder that cannot be listed is tried again every kRetryMilliseconds. Nothing here
// writes to the folder.
//
// The window thread never waits on the worker: its calls take the lock only around the
// chooser and the queues, never while a file is read or decoded, and closing asks the
// worker to stop and waits at most kStopWaitMilliseconds; a worker still in a decode then
// runs on alone on the state it shares, and ends with the process.
#pragma once

#include "import/PackedPicture.h"
#include "import/PhotoFolderSetting.h"
#include "platform/Threads.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class FolderPhotos {
  public:
    static constexpr uint32_t kScanStep = 256;
    static constexpr unsigned kRetryMilliseconds = 30000;
    static constexpr unsigned kStopWaitMilliseconds = 50;
    // The side photos are decoded for before any face has been drawn.
    static constexpr uint32_t kFirstFaceSide = 512;

    FolderPhotos(const PhotoFolderSetting& setting, uint32_t seed);
    ~FolderPhotos();
    FolderPhotos(const FolderPhotos&) = delete;
    FolderPhotos& operator=(const FolderPhotos&) = delete;

    // Starts the worker; false when no thread can be made (the faces then keep what they
    // have).
    bool Start();

    uint32_t ChangeMilliseconds() const { return m_changeMilliseconds; }
    // The window thread's clock, which the faces time their changes by.
    void SetNow(uint32_t now) { m_now = now; }
    uint32_t Now() const { return m_now; }
    // The largest face drawn so far, in pixels across; photos are decoded for it.
    void NoteFaceSide(uint32_t side);

    // Asks for the next photo; 0 when none can be had now (none listed yet, all on faces),
    // else a ticket for Collect.
    uint32_t Request();
    enum class Outcome { kWaiting, kReady, kFailed };
    // kReady hands over the decoded photo and its name's index (then in use until Release);
    // kFailed: that photo could not be shown, ask again. Either ends the ticket.
    Outcome Collect(uint32_t ticket, PackedPicture& picture, uint32_t& name);
    // A ticket no longer wanted (its face gone): its photo is not kept.
    void Cancel(uint32_t ticket);
    // A photo left its face.
    void Release(uint32_t name);

    // A face put a photo up (the window thread's clock); the first time is kept.
    void NoteShown();
    // Milliseconds from Start to the first photo put up on a face; none before.
    std::optional<uint32_t> FirstShownAfter() const;

    // Photos listed so far, and whether the listing has ended (tests, measurements).
    uint32_t Listed() const;
    bool ListingDone() const;

    struct Shared;

  private:
    std::shared_ptr<Shared> m_shared;
    threads::Thread m_thread;
    uint32_t m_changeMilliseconds;
    uint32_t m_now = 0;
    uint32_t m_faceSide = 0;
    uint32_t m_startedAt = 0;
    std::optional<uint32_t> m_firstShownAt;
};
