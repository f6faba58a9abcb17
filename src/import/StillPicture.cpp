#include "import/StillPicture.h"

StillPicture::StillPicture(const char* fileName, BITMAPINFOHEADER* picture)
    : PictureSource(fileName), m_picture(picture) {}

StillPicture::~StillPicture() {
    if (m_picture) {
        HGLOBAL block = GlobalHandle(m_picture);
        GlobalUnlock(block);
        GlobalFree(block);
    }
}

const BITMAPINFOHEADER* StillPicture::GetBitmap() {
    return m_picture ? m_picture : PictureSource::GetBitmap();
}
