// Views: the camera an animation window draws through. A view is made once per window
// for its client rectangle and never changes afterwards.
#pragma once

#include "framework/Object.h"
#include "platform/Win32.h"
#include "scene/Matrix.h"

class CCAnimationView : public CObject {
    DECLARE_DYNAMIC(CCAnimationView)
  public:
    explicit CCAnimationView(const RECT& viewport) : m_viewport(viewport) {}

    const RECT& GetViewport() const { return m_viewport; }

  protected:
    RECT m_viewport;
};

// A pinhole camera. Screen coordinates come out in 16.16 fixed point with the origin at
// the viewport centre and y upwards; the focal length is (width / width divisor) × depth
// scale pixels, taken from the viewport width alone so that pixels stay square.
class CC3DView : public CCAnimationView {
    DECLARE_DYNAMIC(CC3DView)
  public:
    CC3DView(const RECT& viewport, const Vector& eye, const Vector& target, const Vector& up,
             double depthScale, double widthDivisor);

    const Matrix& GetProjection() const { return m_projection; }
    const Matrix& GetViewMatrix() const { return m_view; }

  private:
    Matrix m_projection;
    Matrix m_view;
};
