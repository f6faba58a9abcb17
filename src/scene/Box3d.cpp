#include "scene/Box3d.h"

#include "render/RastelRegion.h"
#include "scene/Motion.h"

#include <cstring>

IMPLEMENT_DYNCREATE(Box3d, ThreeDObject)

namespace {

// Corner orders give outward normals; face 1 (−z) faces the camera at rest.
const FaceTableEntry kBoxFaces[kCubeFaces] = {
    {4, {2, 6, 4, 0}}, // −x
    {4, {3, 2, 0, 1}}, // −z
    {4, {1, 0, 4, 5}}, // −y
    {4, {5, 4, 6, 7}}, // +z
    {4, {7, 6, 2, 3}}, // +y
    {4, {1, 5, 7, 3}}, // +x
};

const BYTE kBoxColours[kCubeFaces][4] = {
    {0xFF, 0x00, 0x00, 0x80}, {0x00, 0xFF, 0x00, 0x80}, {0x00, 0x00, 0xFF, 0x80},
    {0xFF, 0x00, 0xFF, 0x80}, {0xFF, 0xFF, 0x00, 0x80}, {0x00, 0xFF, 0xFF, 0x80},
};

// The third argument of SetFillColour; the region ignores it.
constexpr int kFillExtra = 0x4004;

} // namespace

Box3d::Box3d() : Box3d(0, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0) {}

Box3d::Box3d(int motionStyle, double extentX, double extentY, double extentZ, double speed,
             double firstPhase, double secondPhase)
    : m_light(LightDirection()), m_motionStyle(motionStyle), m_speed(speed),
      m_firstPhase(firstPhase), m_secondPhase(secondPhase) {
    MakeCubeVertices(extentX, extentY, extentZ, m_vertices);
    for (int f = 0; f < kCubeFaces; ++f) {
        Face& face = m_faces[f];
        face.count = kBoxFaces[f].count;
        std::memcpy(face.index, kBoxFaces[f].index, sizeof face.index);
        std::memcpy(face.colour, kBoxColours[f], sizeof face.colour);
        face.normal = FaceNormal(m_vertices, face.index);
    }
}

void Box3d::Update(double time, const Matrix* view, const Matrix* projection) {
    ThreeDObject::Update(time, view, projection);
    BuildBoxMotion(&m_model, m_motionStyle, time, m_speed, m_firstPhase, m_secondPhase);
    Project(view, projection);
}

void Box3d::Project(const Matrix* view, const Matrix* projection) {
    m_depth = ::Project(*view, *projection, m_model, m_vertices, m_points, kCubeCorners);
}

const RECT* Box3d::Draw(RastelRegion* region) {
    return DrawTracked(region);
}

double Box3d::FaceIntensity(int face) const {
    const double d = FaceLightCosine(m_model, m_faces[face].normal, m_light);
    return d > 0 ? 0.35 + 0.8 * d : 0.35;
}

void Box3d::DrawFaces(RastelRegion* region) {
    for (int f = 0; f < kCubeFaces; ++f) {
        const Face& face = m_faces[f];
        if (!IsFrontFace(m_points, face.index))
            continue;
        region->SetFillColour(face.colour, FaceIntensity(f), kFillExtra);
        const ScreenPoint* p = m_points;
        const POINT q[4] = {{p[face.index[0]].x, p[face.index[0]].y},
                            {p[face.index[1]].x, p[face.index[1]].y},
                            {p[face.index[2]].x, p[face.index[2]].y},
                            {p[face.index[3]].x, p[face.index[3]].y}};
        region->FillQuad(&q[0], &q[1], &q[2], &q[3]);
    }
}
