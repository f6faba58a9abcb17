#include "scene/CCAnimationView.h"
#include "scene/Matrix.h"
#include "scene/Projection.h"
#include "scene/SceneTrig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

CC3DView SceneCamera(int width, double widthDivisor = 11.0) {
    return CC3DView(RECT{0, 0, width, 480}, Vector{0, 0, -33, 1}, Vector{0, 0, 0, 1},
                    Vector{0, 1, 0, 0}, 24.0, widthDivisor);
}

TEST(Projection, SixHundredFortyWideExample) {
    const CC3DView view = SceneCamera(640);
    EXPECT_DOUBLE_EQ(view.GetProjection().m[0][0], 41943040.0 / 11);
    EXPECT_EQ(view.GetProjection().m[1][1], view.GetProjection().m[0][0]);
    // The camera sits 33 units in front of the origin, looking along +z.
    const Vector camera = Transform(view.GetViewMatrix(), Vector{0.5, 0, 0, 1});
    EXPECT_DOUBLE_EQ(camera.x, 0.5);
    EXPECT_DOUBLE_EQ(camera.z, 33.0);

    const Vector vertex{0.5, 0, 0, 1};
    ScreenPoint point;
    const double depth =
        Project(view.GetViewMatrix(), view.GetProjection(), Matrix{}, &vertex, &point, 1);
    EXPECT_EQ(point.x, 1386546);
    EXPECT_EQ(point.y, 0);
    EXPECT_EQ(point.visible, 1);
    EXPECT_DOUBLE_EQ(depth, 33.0);
}

TEST(Projection, HeightPlaysNoPartAndZeroDivisorMeansOne) {
    const CC3DView tall(RECT{0, 0, 640, 2000}, Vector{0, 0, -33, 1}, Vector{}, Vector{0, 1, 0, 0},
                        24.0, 11.0);
    EXPECT_EQ(tall.GetProjection().m[0][0], SceneCamera(640).GetProjection().m[0][0]);
    EXPECT_EQ(SceneCamera(640, 0.0).GetProjection().m[0][0], 41943040.0);
}

TEST(Projection, VerticesAtOrBehindTheCameraAreHiddenButCountForDepth) {
    const CC3DView view = SceneCamera(640);
    // Camera z of 0, −5 and not-a-number.
    const Vector vertices[3] = {{1, 1, -33, 1}, {1, 1, -38, 1}, {NAN, 0, NAN, 1}};
    ScreenPoint points[3];
    for (ScreenPoint& p : points) {
        p = {7, 9, 1};
    }
    const double depth =
        Project(view.GetViewMatrix(), view.GetProjection(), Matrix{}, vertices, points, 3);
    EXPECT_DOUBLE_EQ(depth, -5.0);
    for (const ScreenPoint& p : points) {
        EXPECT_EQ(p.visible, 0);
        EXPECT_EQ(p.x, 7); // left as they were
        EXPECT_EQ(p.y, 9);
    }
}

TEST(Projection, DepthOfTwentyFourNeedsNoDivision) {
    const CC3DView view = SceneCamera(640);
    const Vector vertex{0.25, -0.5, -9, 1}; // camera z = 24, so w = 1 exactly
    ScreenPoint point;
    Project(view.GetViewMatrix(), view.GetProjection(), Matrix{}, &vertex, &point, 1);
    const double scale = 41943040.0 / 11;
    EXPECT_EQ(point.x, static_cast<int32_t>(0.25 * scale));
    EXPECT_EQ(point.y, static_cast<int32_t>(-0.5 * scale));
}

TEST(Projection, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(TruncateToInt32(1e300), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-1e300), INT32_MIN);
    EXPECT_EQ(TruncateToInt32(NAN), 0);
    EXPECT_EQ(TruncateToInt32(-2.9), -2);
}

TEST(Matrix, RotationsFollowTheRightHandedColumnConvention) {
    Matrix m;
    RotateZ(&m, 90);
    Vector v = Transform(m, Vector{1, 0, 0, 1});
    EXPECT_NEAR(v.x, 0, 1e-15);
    EXPECT_NEAR(v.y, 1, 1e-15);
    SetIdentity(&m);
    RotateX(&m, 90); // y → z
    v = Transform(m, Vector{0, 1, 0, 0});
    EXPECT_NEAR(v.z, 1, 1e-15);
    SetIdentity(&m);
    RotateY(&m, 90); // z → x
    v = Transform(m, Vector{0, 0, 1, 0});
    EXPECT_NEAR(v.x, 1, 1e-15);
}

TEST(Matrix, LastOperationActsFirst) {
    Matrix m;
    TranslateX(&m, 5);
    RotateZ(&m, 90); // the vertex is turned first, then moved
    const Vector v = Transform(m, Vector{1, 0, 0, 1});
    EXPECT_NEAR(v.x, 5, 1e-15);
    EXPECT_NEAR(v.y, 1, 1e-15);

    Matrix a, b, product;
    RotateX(&a, 30);
    TranslateZ(&b, 2);
    Multiply(a, b, &product);
    Matrix direct;
    RotateX(&direct, 30);
    TranslateZ(&direct, 2);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(product.m[r][c], direct.m[r][c], 1e-15);
        }
    }
}

TEST(Matrix, NormaliseLeavesNearUnitVectorsAlone) {
    Vector nearly{1.0000005, 0, 0, 7};
    Normalise(&nearly);
    EXPECT_EQ(nearly.x, 1.0000005);
    Vector off{1.00001, 0, 0, 7};
    Normalise(&off);
    EXPECT_EQ(off.x, 1.0);
    EXPECT_EQ(off.w, 7.0);
    Vector v{3, 0, 4, 0};
    Normalise(&v);
    EXPECT_DOUBLE_EQ(v.x, 0.6);
    EXPECT_DOUBLE_EQ(v.z, 0.8);
    const Vector c = Cross(Vector{1, 0, 0, 0}, Vector{0, 1, 0, 0});
    EXPECT_EQ(c.z, 1.0);
}

TEST(SceneTrig, AgreesWithTheLibraryAndIsExactAtZero) {
    EXPECT_EQ(SceneSin(0.0), 0.0);
    EXPECT_EQ(SceneCos(0.0), 1.0);
    for (double x = -2000.0; x < 2000.0; x += 0.37) {
        ASSERT_NEAR(SceneSin(x), std::sin(x), 4e-16) << x;
        ASSERT_NEAR(SceneCos(x), std::cos(x), 4e-16) << x;
    }
    EXPECT_NEAR(SceneSin(1e9), std::sin(1e9), 1e-6);
    EXPECT_TRUE(std::isnan(SceneSin(INFINITY)));
    EXPECT_TRUE(std::isnan(SceneCos(NAN)));
}

} // namespace
