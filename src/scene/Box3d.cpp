#include "scene/Box3d.h"

#include "render/region/RastelRegion.h"
#include "scene/Motion.h"

IMPLEMENT_DYNCREATE(Box3d, CubeShape)

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
    : CubeShape(kBoxFaces, extentX, extentY, extentZ), m_motionStyle(motionStyle), m_speed(speed),
      m_firstPhase(firstPhase), m_secondPhase(secondPhase) {}

void Box3d::Update(double time, const Matrix* view, const Matrix* projection) {
    ThreeDObject::Update(time, view, projection);
    BuildBoxMotion(&m_model, m_motionStyle, time, m_speed, m_firstPhase, m_secondPhase);
    Project(view, projection);
}

void Box3d::DrawFaces(RastelRegion* region) {
    for (int f = 0; f < kCubeFaces; ++f) {
        if (!IsFacing(f)) {
            continue;
        }
        region->SetFillColour(kBoxColours[f], FaceIntensity(f), kFillExtra);
        POINT q[4];
        FaceOutline(f, q);
        region->FillQuad(&q[0], &q[1], &q[2], &q[3]);
    }
}
