#include "import/StillPicture.h"

#include "import/PackedPicture.h"

StillPicture::StillPicture(const char* fileName, BITMAPINFOHEADER* picture)
    : PictureSource(fileName), m_picture(picture) {}

StillPicture::~StillPicture() {
    PackedPicture::Free(m_picture);
}

const BITMAPINFOHEADER* StillPicture::GetBitmap() {
    return m_picture ? m_picture : PictureSource::GetBitmap();
}
