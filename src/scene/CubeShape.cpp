#include "scene/CubeShape.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CubeShape, ThreeDObject)

CubeShape::CubeShape(const FaceTableEntry* faces, double extentX, double extentY, double extentZ)
    : m_light(LightDirection()) {
    MakeCubeVertices(extentX, extentY, extentZ, m_vertices);
    for (int f = 0; f < kCubeFaces; ++f) {
        Face& face = m_faces[f];
        face.count = faces[f].count;
        std::memcpy(face.index, faces[f].index, sizeof face.index);
        face.normal = FaceNormal(m_vertices, face.index);
    }
}

const RECT* CubeShape::Draw(RastelRegion* region) {
    return DrawTracked(region);
}

void CubeShape::Project(const Matrix* view, const Matrix* projection) {
    m_depth = ::Project(*view, *projection, m_model, m_vertices, m_points, kCubeCorners);
}

double CubeShape::LitIntensity(int face, double range) const {
    const double d = FaceLightCosine(m_model, m_faces[face].normal, m_light);
    return d > 0 ? 0.35 + range * d : 0.35;
}

void CubeShape::FaceOutline(int face, POINT* outline) const {
    for (int k = 0; k < 4; ++k) {
        const ScreenPoint& p = m_points[m_faces[face].index[k]];
        outline[k] = POINT{p.x, p.y};
    }
}
