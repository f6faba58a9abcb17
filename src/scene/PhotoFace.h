// A cube face that shows photos from a folder (FolderPhotos): it asks for its next photo
// once its photo has been shown for the change interval, and puts the new one up only
// while the viewer cannot see the face, so that nobody sees a photo swap. Until its first
// photo is ready it shows nothing of its own (the cube draws the default picture), and the
// first photo goes up at once, seen or not: that is the saver filling its faces. A face
// keeps its photo when no other can be had (the folder gone, every photo on a face).
#pragma once

#include "import/PackedPicture.h"
#include "platform/Win32.h"

#include <cstdint>

class FolderPhotos;
class PictureSource;
class SmoothFaces;

class PhotoFace {
  public:
    // After a failed photo, the face waits this long before it asks again.
    static constexpr uint32_t kRetryMilliseconds = 1000;

    PhotoFace() = default;
    ~PhotoFace();
    PhotoFace(const PhotoFace&) = delete;
    PhotoFace& operator=(const PhotoFace&) = delete;

    // Binds the face to the folder's photos (both outlive the face; `smooth` may be null).
    void Attach(FolderPhotos* photos, SmoothFaces* smooth);
    bool Attached() const { return m_photos != nullptr; }
    // One frame: `seen` whether the face is turned to the viewer now.
    void Advance(bool seen);
    // The photo to draw; null while the face has none.
    PictureSource* Picture() const { return m_current; }

  private:
    void PutUp(PackedPicture& picture, uint32_t name);
    void BackOff(uint32_t now);

    FolderPhotos* m_photos = nullptr;   // not owned
    SmoothFaces* m_smooth = nullptr;    // not owned
    PictureSource* m_current = nullptr; // owned, in no picture list (UnlistPicture)
    uint32_t m_currentName = 0;
    uint32_t m_shownAt = 0;
    uint32_t m_ticket = 0; // a photo asked for, not yet collected
    PackedPicture m_next;  // collected, waiting for the face to turn away
    uint32_t m_nextName = 0;
    bool m_backingOff = false; // after a failure, until m_askAfter
    uint32_t m_askAfter = 0;
};
