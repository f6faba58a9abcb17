// Picture sources: what a cube face holds. Reference-counted, shared by exact file name,
// kept in one process-wide list newest first. A face without a source, or a source without
// a picture at the moment, shows the default picture.
#pragma once

#include "platform/Win32.h"

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
};

bool LoadDefaultPicture(int resourceId);
int StartVideoSupport(int flag);
void StopVideoSupport();
PictureSource* OpenStillPicture(const char* fileName);
PictureSource* OpenVideo(const char* fileName);
void ReleasePicture(PictureSource* source);
void SetPictureTime(DWORD milliseconds);
const BITMAPINFOHEADER* GetPictureBitmap(PictureSource* source);
void DestroyAllPictures();
