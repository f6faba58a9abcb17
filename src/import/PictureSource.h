// Picture sources: what a cube face holds. Reference-counted, shared by exact file name,
// kept in one process-wide list newest first. A face without a source, or a source without
// a picture at the moment, shows the default picture.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <span>
#include <string>

class PictureSource {
  public:
    PictureSource(const char* fileName);
    // Virtual slot order: destructor, GetBitmap, SetTime.
    virtual ~PictureSource();
    // The packed picture to draw now (header, colour table, rows bottom-up).
    virtual const BITMAPINFOHEADER* GetBitmap();
    virtual void SetTime(DWORD milliseconds);

    PictureSource* m_next = nullptr;
    PictureSource* m_previous = nullptr;
    DWORD m_currentTime = 0;
    long m_refCount = 1;
    std::string m_fileName;

    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;
};

bool LoadDefaultPicture(int resourceId);
int StartVideoSupport(int flag);
void StopVideoSupport();
// A picture face from a file: reads it and opens its bytes (below) under its name.
PictureSource* OpenStillPicture(const char* fileName);
// A picture face from the bytes of its file, shared under `name` with the other sources:
// what DecideFace makes of the bytes, an animated GIF or a still picture; null for
// anything else (the caller may then try the file as a video).
PictureSource* OpenStillPicture(const char* name, std::span<const uint8_t> bytes);
PictureSource* OpenVideo(const char* fileName);
void ReleasePicture(PictureSource* source);
void SetPictureTime(DWORD milliseconds);
const BITMAPINFOHEADER* GetPictureBitmap(PictureSource* source);
void DestroyAllPictures();
// Takes a source out of the process-wide list, so that DestroyAllPictures, SetPictureTime
// and FindSharedPicture no longer see it: its owner alone deletes it (a folder photo, put
// up and replaced by its face while the saver runs). Returns it.
PictureSource* UnlistPicture(PictureSource* source);

// Looks a name up in the picture list (exact, case-sensitive, either kind of source); on
// a match takes one more reference and returns it, else null.
PictureSource* FindSharedPicture(const char* fileName);
// The default picture, or null before LoadDefaultPicture succeeded.
const BITMAPINFOHEADER* GetDefaultPicture();
// The newest source of the picture list (its head), or null when the list is empty.
PictureSource* FirstPictureSource();
// Forgets the time origin that all videos share, so that the next time value given to a
// video becomes the new origin. For tests and tools that start the clock afresh.
void ResetVideoTimeOrigin();
// Milliseconds from the time origin that all moving faces share to `milliseconds`; the
// first time value after a reset becomes the origin.
DWORD VideoTimeSinceOrigin(DWORD milliseconds);
// True between a StartVideoSupport that found the video library and StopVideoSupport.
bool IsVideoAvailable();
