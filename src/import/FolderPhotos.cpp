#include "import/FolderPhotos.h"

#include "framework/File.h"
#include "import/ExifDate.h"
#include "import/PhotoChooser.h"
#include "import/PhotoDecode.h"
#include "import/PhotoScan.h"
#include "platform/Win32.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <new>
#include <vector>

struct FolderPhotos::Shared {
    struct Request {
        uint32_t ticket;
        uint32_t name;
        uint32_t side;
    };
    struct Result {
        uint32_t ticket;
        uint32_t name;
        bool ok;
        PackedPicture picture;
    };

    Shared(const PhotoFolderSetting& setting, uint32_t seed)
        : root(setting.path), order(setting.order), chooser(setting.order, seed) {}

    const std::string root;
    const PhotoOrder order;
    std::atomic<bool> stop{false};
    threads::Wake wake;
    // Everything below is under the lock, but for the chooser's names, which only the worker
    // adds and may read without it.
    threads::Lock lock;
    PhotoChooser chooser;
    std::deque<Request> requests;
    std::vector<Result> results;
    std::vector<uint32_t> cancelled; // tickets being decoded that nobody wants now
    uint32_t nextTicket = 1;
    bool listingDone = false;
};

namespace {

using Shared = FolderPhotos::Shared;

void Decode(Shared& s, const Shared::Request& request) {
    DecodedPhoto photo = DecodePhotoFile(s.chooser.Name(request.name), request.side);
    threads::Hold hold(s.lock);
    const auto cancelled = std::find(s.cancelled.begin(), s.cancelled.end(), request.ticket);
    const bool wanted = cancelled == s.cancelled.end();
    if (!wanted) {
        s.cancelled.erase(cancelled);
    }
    if (photo.result == PhotoRead::kNoPicture) {
        s.chooser.Drop(request.name);
    } else if (photo.result == PhotoRead::kCannotOpen || !wanted) {
        s.chooser.PutBack(request.name);
    }
    if (!wanted) {
        return;
    }
    try {
        const bool ok = photo.result == PhotoRead::kOk;
        s.results.push_back({request.ticket, request.name, ok, std::move(photo.picture)});
    } catch (const std::bad_alloc&) {
        s.chooser.PutBack(request.name); // the face asks again
    }
}

// Lists one step; false once the listing has ended, for good or until a retry.
enum class Listing { kGoingOn, kEnded, kNoFolder };

// The date taken, for the photos that carry one; the file's time stays for the others.
void TakeDates(std::vector<FoundPhoto>& found, const std::atomic<bool>& stop) {
    std::vector<uint8_t> head;
    for (FoundPhoto& photo : found) {
        if (stop.load()) {
            return;
        }
        try {
            CFile file;
            if (!file.Open(photo.path.c_str(),
                           CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
                continue;
            }
            head.resize(kExifDateBytes);
            head.resize(file.Read(head.data(), kExifDateBytes));
            if (const std::optional<uint64_t> taken = ExifDateTaken(head)) {
                photo.writeTime = *taken;
            }
        } catch (...) {
            // Unreadable now: it sorts by its file's time.
        }
    }
}

Listing ListStep(Shared& s, PhotoScan& scan, std::vector<FoundPhoto>& found) {
    found.clear();
    const PhotoScan::Status status = scan.Step(FolderPhotos::kScanStep, found);
    if (status == PhotoScan::Status::kNoFolder) {
        return Listing::kNoFolder;
    }
    if (s.order == PhotoOrder::kDate) {
        TakeDates(found, s.stop);
    }
    bool full = false;
    {
        threads::Hold hold(s.lock);
        for (FoundPhoto& photo : found) {
            if (!s.chooser.Add(std::move(photo.path), photo.writeTime)) {
                full = true;
                break;
            }
        }
    }
    if (status == PhotoScan::Status::kListing && !full) {
        return Listing::kGoingOn;
    }
    // Sorted without the lock: the window thread never waits for a sort of 100,000 names.
    std::vector<uint32_t> sequence;
    try {
        sequence = s.chooser.SortedSequence();
    } catch (const std::bad_alloc&) {
    }
    threads::Hold hold(s.lock);
    s.chooser.UseSequence(std::move(sequence));
    s.listingDone = true;
    return Listing::kEnded;
}

void Run(Shared& s) {
    std::unique_ptr<PhotoScan> scan(new (std::nothrow) PhotoScan(s.root));
    std::vector<FoundPhoto> found;
    bool retry = false; // the folder could not be listed: again at retryAt
    DWORD retryAt = 0;
    while (!s.stop.load()) {
        if (retry && static_cast<int32_t>(GetTickCount() - retryAt) >= 0) {
            retry = false;
            scan.reset(new (std::nothrow) PhotoScan(s.root));
        }
        Shared::Request request{};
        bool decode = false;
        {
            threads::Hold hold(s.lock);
            if (!s.requests.empty()) {
                request = s.requests.front();
                s.requests.pop_front();
                decode = true;
            }
        }
        if (decode) {
            Decode(s, request);
            continue;
        }
        if (scan) {
            const Listing listing = ListStep(s, *scan, found);
            if (listing == Listing::kGoingOn) {
                continue;
            }
            scan.reset();
            if (listing == Listing::kNoFolder) {
                // A folder away at the start (a share not yet there) is listed again later;
                // requests are still answered meanwhile.
                retry = true;
                retryAt = GetTickCount() + FolderPhotos::kRetryMilliseconds;
            }
            continue;
        }
        s.wake.Wait(1000);
    }
}

void ThreadBody(void* argument) {
    std::unique_ptr<std::shared_ptr<Shared>> shared(
        static_cast<std::shared_ptr<Shared>*>(argument));
    Run(**shared);
}

} // namespace

FolderPhotos::FolderPhotos(const PhotoFolderSetting& setting, uint32_t seed)
    : m_shared(std::make_shared<Shared>(setting, seed)),
      m_changeMilliseconds(setting.changeSeconds * 1000) {}

FolderPhotos::~FolderPhotos() {
    m_shared->stop = true;
    m_shared->wake.Set();
    if (!m_thread.Join(kStopWaitMilliseconds)) {
        m_thread.Detach();
    }
}

bool FolderPhotos::Start() {
    m_startedAt = m_now;
    auto* argument = new (std::nothrow) std::shared_ptr<Shared>(m_shared);
    if (!argument) {
        return false;
    }
    if (!m_thread.Start(&ThreadBody, argument)) {
        delete argument;
        return false;
    }
    return true;
}

void FolderPhotos::NoteShown() {
    if (!m_firstShownAt) {
        m_firstShownAt = m_now;
    }
}

std::optional<uint32_t> FolderPhotos::FirstShownAfter() const {
    if (!m_firstShownAt) {
        return std::nullopt;
    }
    return *m_firstShownAt - m_startedAt;
}

void FolderPhotos::NoteFaceSide(uint32_t side) {
    m_faceSide = std::max(m_faceSide, side);
}

uint32_t FolderPhotos::Request() {
    Shared& s = *m_shared;
    threads::Hold hold(s.lock);
    const std::optional<uint32_t> name = s.chooser.Next();
    if (!name) {
        return 0;
    }
    const uint32_t ticket = s.nextTicket++;
    if (s.nextTicket == 0) {
        s.nextTicket = 1;
    }
    try {
        s.requests.push_back({ticket, *name, m_faceSide ? m_faceSide : kFirstFaceSide});
    } catch (const std::bad_alloc&) {
        s.chooser.PutBack(*name);
        return 0;
    }
    s.wake.Set();
    return ticket;
}

FolderPhotos::Outcome FolderPhotos::Collect(uint32_t ticket, PackedPicture& picture,
                                            uint32_t& name) {
    Shared& s = *m_shared;
    threads::Hold hold(s.lock);
    for (auto it = s.results.begin(); it != s.results.end(); ++it) {
        if (it->ticket == ticket) {
            const bool ok = it->ok;
            picture = std::move(it->picture);
            name = it->name;
            s.results.erase(it);
            return ok ? Outcome::kReady : Outcome::kFailed;
        }
    }
    return Outcome::kWaiting;
}

void FolderPhotos::Cancel(uint32_t ticket) {
    Shared& s = *m_shared;
    threads::Hold hold(s.lock);
    for (auto it = s.requests.begin(); it != s.requests.end(); ++it) {
        if (it->ticket == ticket) {
            s.chooser.PutBack(it->name);
            s.requests.erase(it);
            return;
        }
    }
    for (auto it = s.results.begin(); it != s.results.end(); ++it) {
        if (it->ticket == ticket) {
            if (it->ok) {
                s.chooser.PutBack(it->name);
            }
            s.results.erase(it);
            return;
        }
    }
    try {
        s.cancelled.push_back(ticket); // being decoded now
    } catch (const std::bad_alloc&) {
    }
}

void FolderPhotos::Release(uint32_t name) {
    Shared& s = *m_shared;
    threads::Hold hold(s.lock);
    s.chooser.Release(name);
}

uint32_t FolderPhotos::Listed() const {
    threads::Hold hold(m_shared->lock);
    return m_shared->chooser.Count();
}

bool FolderPhotos::ListingDone() const {
    threads::Hold hold(m_shared->lock);
    return m_shared->listingDone;
}
