#include "scene/ImageCube.h"

#include "import/PictureSource.h"
#include "render/RastelRegion.h"
#include "scene/Motion.h"
#include "scene/PictureFit.h"
#include "scene/QuadMapper.h"
#include "scene/SceneRandom.h"

#include <cstring>

IMPLEMENT_DYNCREATE(ImageCube, ThreeDObject)

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

POINT ToPoint(const ScreenPoint& p) {
    return {p.x, p.y};
}

} // namespace

ImageCube::ImageCube() : ImageCube(0, 1.0, 1.0, 0.0, nullptr, nullptr) {}

ImageCube::ImageCube(int motionStyle, double size, double speed, double phase,
                     PictureSource* const* pictures, const BYTE* faceModes)
    : m_light(LightDirection()), m_motionStyle(motionStyle), m_speed(speed), m_phase(phase) {
    // The value is unused, but every cube has always taken its turn in the sequence, and
    // the boxes of a rebuilt scene depend on that.
    SceneRandom();
    MakeCubeVertices(size, size, size, m_vertices);
    for (int f = 0; f < kCubeFaces; ++f) {
        Face& face = m_faces[f];
        face.count = kCubeFaceTable[f].count;
        std::memcpy(face.index, kCubeFaceTable[f].index, sizeof face.index);
        face.picture = pictures ? pictures[f] : nullptr;
        face.mode = faceModes ? faceModes[f] : 0;
        face.normal = FaceNormal(m_vertices, face.index);
    }
}

void ImageCube::Update(double time, const Matrix* view, const Matrix* projection) {
    ThreeDObject::Update(time, view, projection);
    BuildCubeMotion(&m_model, m_motionStyle, time, m_speed, m_phase);
    Project(view, projection);
}

void ImageCube::Project(const Matrix* view, const Matrix* projection) {
    m_depth = ::Project(*view, *projection, m_model, m_vertices, m_points, kCubeCorners);
}

const RECT* ImageCube::Draw(RastelRegion* region) {
    return DrawTracked(region);
}

double ImageCube::FaceIntensity(int face) const {
    const double d = FaceLightCosine(m_model, m_faces[face].normal, m_light);
    return d > 0 ? 0.35 + 0.65 * d : 0.35;
}

void ImageCube::DrawFaces(RastelRegion* region) {
    for (int f = 0; f < kCubeFaces; ++f)
        if (IsFrontFace(m_points, m_faces[f].index))
            DrawFace(region, f);
}

void ImageCube::DrawFace(RastelRegion* region, int f) {
    const Face& face = m_faces[f];
    const BITMAPINFOHEADER* bitmap = GetPictureBitmap(face.picture);
    if (!bitmap)
        return; // not even the default picture: nothing to show
    const POINT outline[4] = {ToPoint(m_points[face.index[0]]), ToPoint(m_points[face.index[1]]),
                              ToPoint(m_points[face.index[2]]), ToPoint(m_points[face.index[3]])};
    POINT c[4] = {outline[0], outline[1], outline[2], outline[3]};
    const PictureFit fit = FitPicture(*bitmap, face.mode);
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
    region->SetFillBitmap(bitmap, &c[0], &c[1], &c[3], &c[2], FaceIntensity(f), fit.letterbox,
                          kTransparency, 0);
    region->FillQuad(&outline[0], &outline[1], &outline[2], &outline[3]);
}
