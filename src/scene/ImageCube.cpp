#include "scene/ImageCube.h"

#include "import/FolderPhotos.h"
#include "import/PictureSource.h"
#include "render/region/RastelRegion.h"
#include "scene/Motion.h"
#include "scene/PictureFit.h"
#include "scene/QuadMapper.h"
#include "scene/SceneRandom.h"
#include "scene/SmoothFaces.h"

IMPLEMENT_DYNCREATE(ImageCube, CubeShape)

namespace {

// Face i shows picture i. The picture's width runs from the first corner toward the second
// and its height from the first toward the fourth.
const FaceTableEntry kCubeFaceTable[kCubeFaces] = {
    {4, {3, 1, 5, 7}}, // +x
    {4, {2, 0, 1, 3}}, // −z, toward the camera at rest
    {4, {0, 4, 5, 1}}, // −y
    {4, {4, 6, 7, 5}}, // +z
    {4, {6, 2, 3, 7}}, // +y
    {4, {0, 2, 6, 4}}, // −x
};

// The bitmap fill's transparency word: kind 4 with amount 0x40, used when the region's
// transparency option is on.
constexpr int kTransparency = 0x4004;

} // namespace

ImageCube::ImageCube() : ImageCube(0, 1.0, 1.0, 0.0, nullptr, nullptr) {}

ImageCube::ImageCube(int motionStyle, double size, double speed, double phase,
                     PictureSource* const* pictures, const BYTE* faceModes, SmoothFaces* smooth)
    : CubeShape(kCubeFaceTable, size, size, size), m_smooth(smooth), m_motionStyle(motionStyle),
      m_speed(speed), m_phase(phase) {
    // The value is unused, but every cube has always taken its turn in the sequence, and
    // the boxes of a rebuilt scene depend on that.
    SceneRandom();
    for (int f = 0; f < kCubeFaces; ++f) {
        m_pictures[f] = pictures ? pictures[f] : nullptr;
        m_modes[f] = faceModes ? faceModes[f] : 0;
    }
}

void ImageCube::Update(double time, const Matrix* view, const Matrix* projection) {
    ThreeDObject::Update(time, view, projection);
    BuildCubeMotion(&m_model, m_motionStyle, time, m_speed, m_phase);
    Project(view, projection);
}

void ImageCube::TakePhotos(FolderPhotos* photos) {
    m_folderPhotos = photos;
    for (int f = 0; f < kCubeFaces; ++f) {
        if (photos && !m_pictures[f]) {
            m_photoFaces[f].Attach(photos, m_smooth);
        }
    }
}

// The faces' sizes on screen tell the folder how large to decode its photos: the longer
// side of a face's bounding box, the largest of all faces so far.
void ImageCube::AdvancePhotos() {
    for (int f = 0; f < kCubeFaces; ++f) {
        if (!m_photoFaces[f].Attached()) {
            continue;
        }
        const bool seen = IsFacing(f);
        if (seen) {
            POINT p[4];
            FaceOutline(f, p);
            LONG left = p[0].x, right = p[0].x, top = p[0].y, bottom = p[0].y;
            for (const POINT& q : p) {
                left = q.x < left ? q.x : left;
                right = q.x > right ? q.x : right;
                top = q.y < top ? q.y : top;
                bottom = q.y > bottom ? q.y : bottom;
            }
            const LONG side = right - left > bottom - top ? right - left : bottom - top;
            m_folderPhotos->NoteFaceSide(side > 0 ? static_cast<uint32_t>(side) : 0);
        }
        m_photoFaces[f].Advance(seen);
    }
}

void ImageCube::DrawFaces(RastelRegion* region) {
    if (m_folderPhotos) {
        AdvancePhotos();
    }
    for (int f = 0; f < kCubeFaces; ++f) {
        if (IsFacing(f)) {
            DrawFace(region, f);
        }
    }
}

void ImageCube::DrawFace(RastelRegion* region, int f) {
    PictureSource* source = m_photoFaces[f].Picture() ? m_photoFaces[f].Picture() : m_pictures[f];
    const BITMAPINFOHEADER* bitmap = GetPictureBitmap(source);
    if (!bitmap) {
        return; // not even the default picture: nothing to show
    }
    POINT outline[4];
    FaceOutline(f, outline);
    POINT c[4] = {outline[0], outline[1], outline[2], outline[3]};
    const PictureFit fit = FitPicture(*bitmap, m_modes[f]);
    if (fit.reshaped) {
        // The mapper's v runs along the picture's height (corner 0 toward 3) and u along its
        // width (corner 0 toward 1).
        QuadMapper mapper;
        mapper.SetQuad(c[0], c[3], c[2], c[1]);
        c[0] = mapper.MapPoint(fit.left, fit.top);
        c[1] = mapper.MapPoint(fit.right, fit.top);
        c[2] = mapper.MapPoint(fit.right, fit.bottom);
        c[3] = mapper.MapPoint(fit.left, fit.bottom);
    }
    // The region takes the picture's corners row by row: (0,0), (1,0), (0,1), (1,1).
    const PictureLevels* levels = m_smooth ? m_smooth->LevelsFor(source, bitmap) : nullptr;
    if (levels != nullptr) {
        region->SetFillLevels(levels, &c[0], &c[1], &c[3], &c[2], FaceIntensity(f), fit.letterbox,
                              kTransparency);
    } else {
        region->SetFillBitmap(bitmap, &c[0], &c[1], &c[3], &c[2], FaceIntensity(f), fit.letterbox,
                              kTransparency, 0);
    }
    region->FillQuad(&outline[0], &outline[1], &outline[2], &outline[3]);
}
