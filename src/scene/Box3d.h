// A box of given extents whose six faces are flat colours shaded by the world light.
#pragma once

#include "scene/CubeGeometry.h"
#include "scene/ThreeDObject.h"

class Box3d : public ThreeDObject {
    DECLARE_DYNCREATE(Box3d)
  public:
    // A unit cube in motion style 0 at speed 1 with both phases 0.
    Box3d();
    // Patterns 0 and 1 run on the first phase, patterns 2 and 3 on the second.
    Box3d(int motionStyle, double extentX, double extentY, double extentZ, double speed,
          double firstPhase, double secondPhase);

    void Update(double time, const Matrix* view, const Matrix* projection) override;
    const RECT* Draw(RastelRegion* region) override;

    // Projects the corners with the current model matrix and sets the depth.
    void Project(const Matrix* view, const Matrix* projection);

    const ScreenPoint* GetScreenPoints() const { return m_points; }
    const Vector* GetVertices() const { return m_vertices; }
    // 0.35 in the shade, up to 1.15 facing the light (the region clamps to 1).
    double FaceIntensity(int face) const;

  protected:
    void DrawFaces(RastelRegion* region) override;

  private:
    struct Face {
        BYTE count;
        BYTE index[16];
        BYTE colour[4]; // red, green, blue, extra
        Vector normal;
    };

    Vector m_light;
    ScreenPoint m_points[kCubeCorners];
    Vector m_vertices[kCubeCorners];
    Face m_faces[kCubeFaces];
    int m_motionStyle;
    double m_speed;
    double m_firstPhase;
    double m_secondPhase;
};
