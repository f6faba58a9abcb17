#include "scene/Projection.h"

#include <cmath>

int32_t TruncateToInt32(double v) {
    if (!(v == v)) {
        return 0;
    }
    if (v >= 2147483647.0) {
        return INT32_MAX;
    }
    if (v <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(v);
}

double Project(const Matrix& view, const Matrix& projection, const Matrix& model,
               const Vector* vertices, ScreenPoint* points, int count) {
    double depth = 10000000000.0;
    Matrix modelView;
    Multiply(view, model, &modelView);
    for (int i = 0; i < count; ++i) {
        const Vector q = Transform(modelView, vertices[i]);
        if (q.z < depth) {
            depth = q.z;
        }
        if (!(q.z > 0)) {
            points[i].visible = 0;
            continue;
        }
        Vector p = Transform(projection, q);
        if (std::fabs(p.w - 1.0) > 0.000001) {
            const double k = 1.0 / p.w;
            p.x *= k;
            p.y *= k;
            p.z *= k;
        }
        points[i].x = TruncateToInt32(p.x);
        points[i].y = TruncateToInt32(p.y);
        points[i].visible = 1;
    }
    return depth;
}
