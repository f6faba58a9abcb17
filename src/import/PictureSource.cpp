#include "import/PictureSource.h"

#include "import/AnimatedGifPicture.h"
#include "import/DrawableLayout.h"
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"
#include "import/StillPicture.h"

#include <cstring>
#include <new>

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
    // A GIF of several frames becomes a moving face; one of a single frame, or one that
    // cannot animate, is imported as before.
    if (PictureSource* moving = OpenAnimatedGif(fileName)) {
        return moving;
    }
    // The importer's block is a packed picture behind whatever pointer type it hands out.
    auto* picture =
        ToDrawableLayout(ImportPictureReporting(fileName, picture::kMaxFacePixelBytes, nullptr));
    if (!picture) {
        return nullptr;
    }
    // The source keeps a copy of the name: a failed allocation hands the block back and
    // leaves the face to the default picture, as any file that cannot be read does.
    try {
        return new StillPicture(fileName, picture);
    } catch (const std::bad_alloc&) {
        HGLOBAL block = GlobalHandle(picture);
        GlobalUnlock(block);
        GlobalFree(block);
        return nullptr;
    }
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

void DestroyAllPictures() {
    while (g_pictureList) {
        delete g_pictureList;
    }
}
