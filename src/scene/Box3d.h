// A box of given extents whose six faces are flat colours shaded by the world light.
#pragma once

#include "scene/CubeShape.h"

class Box3d : public CubeShape {
    DECLARE_DYNCREATE(Box3d)
  public:
    // A unit cube in motion style 0 at speed 1 with both phases 0.
    Box3d();
    // Patterns 0 and 1 run on the first phase, patterns 2 and 3 on the second.
    Box3d(int motionStyle, double extentX, double extentY, double extentZ, double speed,
          double firstPhase, double secondPhase);

    void Update(double time, const Matrix* view, const Matrix* projection) override;

    // 0.35 in the shade, up to 1.15 facing the light (the region clamps to 1).
    double FaceIntensity(int face) const { return LitIntensity(face, 0.8); }

  protected:
    void DrawFaces(RastelRegion* region) override;

  private:
    int m_motionStyle;
    double m_speed;
    double m_firstPhase;
    double m_secondPhase;
};
