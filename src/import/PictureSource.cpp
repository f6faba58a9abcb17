#include "import/PictureSource.h"

#include "import/AnimatedGifPicture.h"
#include "import/DrawableLayout.h"
#include "import/FaceDecision.h"
#include "import/PictureFile.h"
#include "import/PictureLimits.h"
#include "import/StillPicture.h"

#include <cstring>
#include <new>
#include <vector>

namespace {
PictureSource* g_pictureList = nullptr; // newest first
} // namespace

PictureSource::PictureSource(const char* fileName) : m_fileName(fileName ? fileName : "") {
    m_next = g_pictureList;
    if (g_pictureList) {
        g_pictureList->m_previous = this;
    }
    g_pictureList = this;
}

PictureSource::~PictureSource() {
    if (m_previous) {
        m_previous->m_next = m_next;
    } else if (g_pictureList == this) {
        g_pictureList = m_next;
    }
    if (m_next) {
        m_next->m_previous = m_previous;
    }
}

const BITMAPINFOHEADER* PictureSource::GetBitmap() {
    return GetDefaultPicture();
}

void PictureSource::SetTime(DWORD milliseconds) {
    m_currentTime = milliseconds;
}

PictureSource* FirstPictureSource() {
    return g_pictureList;
}

// Both kinds share one name space: a name already open as a video is handed out by
// OpenStillPicture too, and the other way round.
PictureSource* FindSharedPicture(const char* fileName) {
    for (PictureSource* s = g_pictureList; s; s = s->m_next) {
        if (s->m_fileName == fileName) {
            ++s->m_refCount;
            return s;
        }
    }
    return nullptr;
}

PictureSource* OpenStillPicture(const char* fileName) {
    if (!fileName) {
        return nullptr;
    }
    if (PictureSource* shared = FindSharedPicture(fileName)) {
        return shared;
    }
    std::vector<uint8_t> bytes;
    if (ReadPictureFile(fileName, picture::kMaxPictureFileBytes, bytes) != PictureFileRead::kOk) {
        return nullptr;
    }
    return OpenStillPicture(fileName, bytes);
}

PictureSource* OpenStillPicture(const char* name, std::span<const uint8_t> bytes) {
    if (!name) {
        return nullptr;
    }
    if (PictureSource* shared = FindSharedPicture(name)) {
        return shared;
    }
    FaceDecision decision = DecideFace(bytes);
    // The source keeps a copy of the name: a failed allocation leaves the face to the
    // default picture, as any file that cannot be read does.
    try {
        if (decision.kind == FaceKind::kAnimatedGif) {
            return new AnimatedGifPicture(name, std::move(decision.animation));
        }
        if (decision.kind == FaceKind::kStillPicture) {
            PackedPicture drawable(ToDrawableLayout(decision.picture.release()));
            if (!drawable) {
                return nullptr;
            }
            auto* still = new StillPicture(name, drawable.get());
            drawable.release();
            return still;
        }
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

void ReleasePicture(PictureSource* source) {
    if (source && --source->m_refCount <= 0) {
        delete source;
    }
}

void SetPictureTime(DWORD milliseconds) {
    for (PictureSource* s = g_pictureList; s;) {
        PictureSource* next = s->m_next;
        s->SetTime(milliseconds);
        s = next;
    }
}

const BITMAPINFOHEADER* GetPictureBitmap(PictureSource* source) {
    return source ? source->GetBitmap() : GetDefaultPicture();
}

PictureSource* UnlistPicture(PictureSource* source) {
    if (!source) {
        return nullptr;
    }
    if (source->m_previous) {
        source->m_previous->m_next = source->m_next;
    } else if (g_pictureList == source) {
        g_pictureList = source->m_next;
    }
    if (source->m_next) {
        source->m_next->m_previous = source->m_previous;
    }
    source->m_next = nullptr;
    source->m_previous = nullptr;
    return source;
}

void DestroyAllPictures() {
    while (g_pictureList) {
        delete g_pictureList;
    }
}
