#include "peers_gl.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

#include <vector>

namespace peers {
namespace {

OSMesaContext g_context = nullptr;
std::vector<uint32_t> g_buffer;

} // namespace

bool StartGl() {
    if (!g_context) {
        g_context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
        g_buffer.assign(size_t(kFrameWidth) * kFrameHeight, 0);
    }
    // Other rows may have their own context current.
    if (!g_context || !OSMesaMakeCurrent(g_context, g_buffer.data(), GL_UNSIGNED_BYTE, kFrameWidth,
                                         kFrameHeight)) {
        return false;
    }
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glDisable(GL_DEPTH_TEST);
    return true;
}

void DrawGlQuad(const Quad& q, uint32_t rgb) {
    glColor3ub(GLubyte(rgb >> 16), GLubyte(rgb >> 8), GLubyte(rgb));
    glBegin(GL_QUADS);
    for (const Point2& p : q.p) {
        // Identity matrices: clip space, y up.
        glVertex2d(2.0 * p.x / kFrameWidth - 1.0, 1.0 - 2.0 * p.y / kFrameHeight);
    }
    glEnd();
    glFinish();
}

} // namespace peers
