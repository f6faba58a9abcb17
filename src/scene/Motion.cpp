#include "scene/Motion.h"

#include "scene/SceneTrig.h"

namespace {

// The boxes' wobble about all three axes.
void Tumble(Matrix* m, double a) {
    RotateX(m, 360 * SceneSin(a * 26));
    RotateY(m, 360 * SceneCos(a * 31));
    RotateZ(m, 360 * SceneSin(a * 43));
}

// The cubes' turn about their own y axis (3438 × A degrees is within 0.01 % of the circle
// angle, so a cube keeps nearly the same face toward the centre of its circle) and their
// steady tumble at 69, 59 and 49 degrees per unit of t × speed.
void Spin(Matrix* m, double a, double t, double speed) {
    RotateY(m, 3438.0000000000005 * a);
    RotateX(m, t * speed * 69);
    RotateY(m, t * speed * 59);
    RotateZ(m, t * speed * 49);
}

// The cubes' way round a circle of `radius` in the x-z plane, at angle w from +z.
void Circle(Matrix* m, double radius, double w) {
    TranslateX(m, radius * SceneSin(w));
    TranslateZ(m, radius * SceneCos(w));
}

} // namespace

void BuildBoxMotion(Matrix* m, int style, double t, double speed, double firstPhase,
                    double secondPhase) {
    const double ts = t * speed;
    const double a = (ts + firstPhase) * kDegreeToRadian;
    const double b = (ts + secondPhase) * kDegreeToRadian;
    SetIdentity(m);
    switch (style) {
    case 0: // wandering inside ±4 × ±3 × ±8 about the origin
        TranslateX(m, -4 * SceneSin(a * 56));
        TranslateY(m, -3 * SceneSin(a * 39));
        TranslateZ(m, 8 * SceneSin(a * 45));
        Tumble(m, a);
        break;
    case 1: { // a small circle 5 units out along x, swung around the y axis
        RotateX(m, -25);
        RotateY(m, 500 * a);
        const double w = 100 * a;
        TranslateY(m, 1.5 * SceneCos(w));
        TranslateX(m, 1.5 * SceneSin(w) + 5);
        Tumble(m, a);
        break;
    }
    case 2: { // a circle of radius 3.333 about x = −1.666, turning slowly with the raw clock
        RotateX(m, -25);
        RotateY(m, 30 * t);
        TranslateX(m, -1.666);
        const double w = -60 * b;
        TranslateX(m, 3.333 * SceneCos(w));
        TranslateY(m, 3.333 * SceneSin(w));
        Tumble(m, b);
        break;
    }
    case 3: { // the figure x = 6.6666·c·|c|, y = 5·c·s, turning slowly backwards
        RotateX(m, -25);
        RotateY(m, -10 * t);
        const double w = 60 * b;
        const double c = SceneCos(w);
        const double s = SceneSin(w);
        double x = c * (6.6666 * c);
        if (c < 0) {
            x = -x;
        }
        TranslateX(m, x);
        TranslateY(m, s * (6.6666 * c) * 0.75);
        Tumble(m, b);
        break;
    }
    default:
        break;
    }
}

void BuildCubeMotion(Matrix* m, int style, double t, double speed, double phase) {
    const double a = (t * speed + phase) * kDegreeToRadian;
    const double w = 60 * a;
    SetIdentity(m);
    switch (style) {
    case 0: // an ellipse of half-axes 3 (x) and 8 (z) with a bob, turning about the view axis
        RotateZ(m, t * speed * 49);
        RotateX(m, 5);
        TranslateX(m, 3 * SceneSin(w));
        TranslateY(m, 0.5 * SceneSin(a * 180));
        TranslateZ(m, 8 * SceneCos(w));
        RotateX(m, 360 * SceneSin(a * 13));
        RotateY(m, 360 * SceneCos(a * 15));
        RotateZ(m, 360 * SceneSin(a * 19));
        break;
    case 1: // radius 5 about the y axis
        RotateX(m, -25);
        Circle(m, 5, w);
        Spin(m, a, t, speed);
        break;
    case 2: // radius 3.333 about x = 1.666, the circle turning with the raw clock
        RotateX(m, -25);
        RotateY(m, 30 * t);
        TranslateX(m, 1.666);
        Circle(m, 3.333, w);
        Spin(m, a, t, speed);
        break;
    case 3: // radius 3.5 about the y axis
        RotateX(m, -25);
        Circle(m, 3.5, w);
        Spin(m, a, t, speed);
        break;
    default:
        break;
    }
}
