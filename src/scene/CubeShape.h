// What the coloured box and the picture cube share: eight corners of a box of given
// extents, six four-cornered faces with their outward normals, the corners' projection
// each frame and the light a face receives. The subclasses move it and paint its faces.
#pragma once

#include "scene/CubeGeometry.h"
#include "scene/ThreeDObject.h"

class CubeShape : public ThreeDObject {
    DECLARE_DYNAMIC(CubeShape)
  public:
    const RECT* Draw(RastelRegion* region) override;

    // Projects the corners with the current model matrix and sets the depth.
    void Project(const Matrix* view, const Matrix* projection);

    const ScreenPoint* GetScreenPoints() const { return m_points; }
    const Vector* GetVertices() const { return m_vertices; }

  protected:
    // `faces` holds kCubeFaces entries whose corner orders give outward normals.
    CubeShape(const FaceTableEntry* faces, double extentX, double extentY, double extentZ);

    // 0.35 in the shade, 0.35 + `range` × the light's cosine facing it.
    double LitIntensity(int face, double range) const;
    bool IsFacing(int face) const { return IsFrontFace(m_points, m_faces[face].index); }
    // The face's four corners on the screen, in its table order.
    void FaceOutline(int face, POINT* outline) const;

  private:
    struct Face {
        BYTE count;
        BYTE index[16];
        Vector normal;
    };

    Vector m_light;
    ScreenPoint m_points[kCubeCorners];
    Vector m_vertices[kCubeCorners];
    Face m_faces[kCubeFaces];
};
