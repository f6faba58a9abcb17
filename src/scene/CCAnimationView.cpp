#include "scene/CCAnimationView.h"

#include <cstdint>

IMPLEMENT_DYNAMIC(CCAnimationView, CObject)
IMPLEMENT_DYNAMIC(CC3DView, CCAnimationView)

CC3DView::CC3DView(const RECT& viewport, const Vector& eye, const Vector& target, const Vector& up,
                   double depthScale, double widthDivisor)
    : CCAnimationView(viewport) {
    Vector direction{target.x - eye.x, target.y - eye.y, target.z - eye.z, 0};
    Normalise(&direction);
    m_view = LookAt(eye, direction, up);
    if (depthScale == 0.0) {
        depthScale = 1.0;
    }
    if (widthDivisor == 0.0) {
        widthDivisor = 1.0;
    }
    // The width in 16.16 as a signed 32-bit value (wrapping like the shift it stands for).
    const uint32_t width =
        static_cast<uint32_t>(viewport.right) - static_cast<uint32_t>(viewport.left);
    const double scale = static_cast<int32_t>(width << 16) / widthDivisor;
    m_projection.m[0][0] = scale;
    m_projection.m[1][1] = scale;
    m_projection.m[3][2] = 1.0 / depthScale;
    m_projection.m[3][3] = 0.0;
}
