#include "scene/PhotoFace.h"

#include "import/FolderPhotos.h"
#include "import/StillPicture.h"
#include "scene/SmoothFaces.h"

#include <new>

namespace {
// No file has this name ('<' is not allowed in one), so no face file shares the source.
constexpr char kPhotoSourceName[] = "<folder photo>";
} // namespace

PhotoFace::~PhotoFace() {
    if (!m_photos) {
        return;
    }
    if (m_ticket != 0) {
        m_photos->Cancel(m_ticket);
    }
    if (m_next) {
        m_photos->Release(m_nextName);
    }
    if (m_current) {
        if (m_smooth) {
            m_smooth->Forget(m_current);
        }
        delete m_current;
        m_photos->Release(m_currentName);
    }
}

void PhotoFace::Attach(FolderPhotos* photos, SmoothFaces* smooth) {
    m_photos = photos;
    m_smooth = smooth;
}

// Tick differences are unsigned, so a wrap of the counter changes nothing.
void PhotoFace::Advance(bool seen) {
    if (!m_photos) {
        return;
    }
    const uint32_t now = m_photos->Now();
    if (m_ticket != 0) {
        PackedPicture picture;
        uint32_t name = 0;
        switch (m_photos->Collect(m_ticket, picture, name)) {
        case FolderPhotos::Outcome::kWaiting:
            break;
        case FolderPhotos::Outcome::kReady:
            m_ticket = 0;
            m_next = std::move(picture);
            m_nextName = name;
            break;
        case FolderPhotos::Outcome::kFailed:
            m_ticket = 0;
            BackOff(now);
            break;
        }
    }
    if (m_next && (!m_current || !seen)) {
        PutUp(m_next, m_nextName);
    }
    const bool due = !m_current || now - m_shownAt >= m_photos->ChangeMilliseconds();
    if (m_backingOff && static_cast<int32_t>(now - m_askAfter) >= 0) {
        m_backingOff = false;
    }
    if (due && !m_backingOff && m_ticket == 0 && !m_next) {
        m_ticket = m_photos->Request();
        if (m_ticket == 0) {
            BackOff(now); // nothing to be had now
        }
    }
}

void PhotoFace::BackOff(uint32_t now) {
    m_backingOff = true;
    m_askAfter = now + kRetryMilliseconds;
}

void PhotoFace::PutUp(PackedPicture& picture, uint32_t name) {
    StillPicture* still = new (std::nothrow) StillPicture(kPhotoSourceName, picture.get());
    if (!still) {
        picture.reset(); // the face keeps its photo; the next one comes in an interval
        m_photos->Release(name);
        m_shownAt = m_photos->Now();
        return;
    }
    picture.release();
    UnlistPicture(still);
    if (m_current) {
        if (m_smooth) {
            m_smooth->Forget(m_current);
        }
        delete m_current;
        m_photos->Release(m_currentName);
    }
    m_current = still;
    m_currentName = name;
    m_shownAt = m_photos->Now();
    m_photos->NoteShown();
}
