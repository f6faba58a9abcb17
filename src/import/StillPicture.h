// A face picture imported once from a picture file.
#pragma once

#include "import/PictureSource.h"

class StillPicture : public PictureSource {
  public:
    // Takes ownership of `picture`, a packed picture in a global-memory block (may be null).
    StillPicture(const char* fileName, BITMAPINFOHEADER* picture);
    ~StillPicture() override;
    const BITMAPINFOHEADER* GetBitmap() override;

    BITMAPINFOHEADER* m_picture;
};
