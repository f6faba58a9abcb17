#include "SceneFakes.h"
#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "scene/Box3d.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeGeometry.h"
#include "scene/ImageCube.h"
#include "scene/PictureFit.h"
#include "scene/QuadMapper.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

const BYTE kFace[4] = {0, 1, 2, 3};

TEST(FrontFace, NeedsEveryCornerVisibleAndAStrictTurn) {
    ScreenPoint turning[4] = {{0, 10, 1}, {0, 0, 1}, {10, 0, 1}, {10, 10, 1}};
    EXPECT_TRUE(IsFrontFace(turning, kFace));
    turning[3].visible = 0; // one corner behind the camera hides the whole face
    EXPECT_FALSE(IsFrontFace(turning, kFace));
    const ScreenPoint edgeOn[4] = {{0, 0, 1}, {5, 5, 1}, {10, 10, 1}, {20, 20, 1}};
    EXPECT_FALSE(IsFrontFace(edgeOn, kFace));
    const ScreenPoint backwards[4] = {{10, 0, 1}, {0, 0, 1}, {0, 10, 1}, {10, 10, 1}};
    EXPECT_FALSE(IsFrontFace(backwards, kFace));
}

TEST(FrontFace, ProductsBeyondSixtyFourBitsCompareExactly) {
    // Differences near 2^32 give products near 2^64.
    const ScreenPoint far[4] = {
        {INT32_MIN, INT32_MAX, 1}, {INT32_MIN, INT32_MIN, 1}, {INT32_MAX, INT32_MIN, 1}, {0, 0, 1}};
    EXPECT_TRUE(IsFrontFace(far, kFace));
    const ScreenPoint mirrored[4] = {far[2], far[1], far[0], far[3]};
    EXPECT_FALSE(IsFrontFace(mirrored, kFace));
}

class AtRest : public ::testing::Test {
  protected:
    // Style 7 keeps the objects at the origin, unrotated.
    CC3DView view{
        RECT{0, 0, 640, 480}, Vector{0, 0, -33, 1}, Vector{}, Vector{0, 1, 0, 0}, 24.0, 11.0};
    RecordingRenderer renderer;
    RecordingRegion region{&renderer, 640, 480};
};

TEST_F(AtRest, BoxShowsOnlyItsCameraFaceLitFromTheFront) {
    Box3d box(7, 1, 1, 1, 1, 0, 0);
    box.Update(0, &view.GetViewMatrix(), &view.GetProjection());
    EXPECT_DOUBLE_EQ(box.GetDepth(), 32.5);
    EXPECT_NEAR(box.FaceIntensity(1), 0.35 + 0.8 * 0.8164965809277261, 1e-15);
    box.Draw(&region);
    ASSERT_EQ(region.colours.size(), 1u); // face 1, −z, green
    EXPECT_EQ(region.colours[0], (std::vector<BYTE>{0x00, 0xFF, 0x00, 0x80}));
    EXPECT_NEAR(region.intensities[0], 1.0032, 1e-4);
    EXPECT_NE(box.GetUpdateRect(), nullptr);
}

TEST_F(AtRest, PictureCubeFillsItsFrontFaceWithTheDefaultPicture) {
    LoadDefaultPicture(kDefaultPictureId);
    ImageCube cube(7, 2.0, 1, 0, nullptr, nullptr);
    cube.Update(0, &view.GetViewMatrix(), &view.GetProjection());
    cube.Draw(&region);
    const BITMAPINFOHEADER* picture = GetPictureBitmap(nullptr);
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(region.fills.size(), 1u);
    ASSERT_EQ(region.quads.size(), 1u);
    EXPECT_EQ(region.fills[0].dib, picture);
    EXPECT_EQ(region.fills[0].transparency, 0x4004);
    // Face 1 is corners 2, 0, 1, 3: the picture's (0,0) at corner 2 (top left as seen),
    // (1,0) at corner 0, (0,1) at corner 3 and (1,1) at corner 1, unless the picture is
    // not square and was fitted.
    const ScreenPoint* p = cube.GetScreenPoints();
    if (!FitPicture(*picture, 0).reshaped) {
        const BitmapFill& fill = region.fills[0];
        EXPECT_EQ(fill.corners[0].x, p[2].x);
        EXPECT_EQ(fill.corners[1].y, p[0].y);
        EXPECT_EQ(fill.corners[2].x, p[3].x);
        EXPECT_EQ(fill.corners[3].x, p[1].x);
    }
    EXPECT_EQ(region.quads[0][0].x, p[2].x);
    EXPECT_EQ(region.quads[0][3].y, p[3].y);
}

BITMAPINFOHEADER Picture(LONG width, LONG height, LONG xppm = 3780, LONG yppm = 3780) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biXPelsPerMeter = xppm;
    h.biYPelsPerMeter = yppm;
    return h;
}

void ExpectFit(const PictureFit& fit, double l, double r, double t, double b, int letterbox) {
    EXPECT_TRUE(fit.reshaped);
    EXPECT_NEAR(fit.left, l, 1e-4);
    EXPECT_NEAR(fit.right, r, 1e-4);
    EXPECT_NEAR(fit.top, t, 1e-4);
    EXPECT_NEAR(fit.bottom, b, 1e-4);
    EXPECT_EQ(fit.letterbox, letterbox);
}

TEST(PictureFit, CropsOrLetterboxesByModeByte) {
    ExpectFit(FitPicture(Picture(400, 300), 1), -0.1667, 1.1667, 0, 1, 0);
    ExpectFit(FitPicture(Picture(400, 300), 0), -0.01, 1.01, 0.125, 0.875, 1);
    ExpectFit(FitPicture(Picture(300, 400), 1), 0, 1, -0.1667, 1.1667, 0);
    ExpectFit(FitPicture(Picture(300, 400), 0), 0.125, 0.875, -0.01, 1.01, 1);
    ExpectFit(FitPicture(Picture(400, -300), 0), -0.01, 1.01, 0.125, 0.875, 1);
}

TEST(PictureFit, NearlySquareAndDegeneratePicturesCoverTheFace) {
    const PictureFit fit = FitPicture(Picture(210, 200), 0);
    EXPECT_FALSE(fit.reshaped);
    EXPECT_EQ(fit.letterbox, 0);
    EXPECT_FALSE(FitPicture(Picture(0, 200), 0).reshaped);
    EXPECT_FALSE(FitPicture(Picture(200, 0), 1).reshaped);
}

TEST(PictureFit, UsesPhysicalProportions) {
    EXPECT_DOUBLE_EQ(PictureAspect(Picture(100, 100, 0, 7560)), 2.0);
    EXPECT_DOUBLE_EQ(PictureAspect(Picture(100, 100, 7560, 3780)), 0.5);
}

TEST(QuadMapper, ParallelogramInterpolatesLinearly) {
    QuadMapper mapper;
    mapper.SetQuad(POINT{0, 0}, POINT{0, 100}, POINT{200, 140}, POINT{200, 40});
    const POINT centre = mapper.MapPoint(0.5, 0.5);
    EXPECT_EQ(centre.x, 100);
    EXPECT_EQ(centre.y, 70);
    EXPECT_EQ(mapper.MapPoint(1, 1).x, 200);
    EXPECT_EQ(mapper.MapPoint(1, 1).y, 140);
}

TEST(QuadMapper, TrapezoidKeepsCornersAndMovesTheCentreTowardTheFarEdge) {
    // The edge q3–q2 is shorter, so it lies farther away: the face's centre is drawn
    // nearer to it than the midpoint of the outline.
    QuadMapper mapper;
    mapper.SetQuad(POINT{0, 0}, POINT{0, 1000}, POINT{1000, 800}, POINT{1000, 200});
    for (const auto& [u, v, x, y] :
         {std::tuple{0.0, 0.0, 0, 0}, std::tuple{0.0, 1.0, 0, 1000},
          std::tuple{1.0, 1.0, 1000, 800}, std::tuple{1.0, 0.0, 1000, 200}}) {
        const POINT p = mapper.MapPoint(u, v);
        EXPECT_NEAR(p.x, x, 1);
        EXPECT_NEAR(p.y, y, 1);
    }
    const POINT centre = mapper.MapPoint(0.5, 0.5);
    EXPECT_GT(centre.x, 500);
    EXPECT_EQ(centre.y, 500);
}

} // namespace

namespace {

// A still picture of a given size without pixels: enough for the placement.
class SizedPicture : public PictureSource {
  public:
    SizedPicture(LONG width, LONG height) : PictureSource("sized") {
        m_header.biSize = 40;
        m_header.biWidth = width;
        m_header.biHeight = height;
    }
    const BITMAPINFOHEADER* GetBitmap() override { return &m_header; }

  private:
    BITMAPINFOHEADER m_header{};
};

TEST_F(AtRest, WidePictureIsCroppedOrLetterboxedAlongTheFaceCorners) {
    SizedPicture wide(400, 300);
    PictureSource* pictures[6] = {&wide, &wide, &wide, &wide, &wide, &wide};
    const BYTE crop[6] = {1, 1, 1, 1, 1, 1};
    ImageCube cropped(7, 2.0, 1, 0, pictures, crop);
    cropped.Update(0, &view.GetViewMatrix(), &view.GetProjection());
    cropped.Draw(&region);
    ASSERT_EQ(region.fills.size(), 1u);
    // Face 1 runs the picture's width from corner 2 down to corner 0 and its height from
    // corner 2 across to corner 3. Cropping overhangs a sixth past corner 2 and corner 0.
    const ScreenPoint* p = cropped.GetScreenPoints();
    const BitmapFill& fill = region.fills[0];
    EXPECT_EQ(fill.mode, 0);
    const double side = p[2].y - p[0].y;
    EXPECT_NEAR(fill.corners[0].y, p[2].y + side / 6, side * 0.01);
    EXPECT_NEAR(fill.corners[0].x, p[2].x, 1);
    EXPECT_NEAR(fill.corners[1].y, p[0].y - side / 6, side * 0.01); // picture (1, 0)
    EXPECT_NEAR(fill.corners[2].x, p[3].x, 1);                      // picture (0, 1)

    const BYTE fit[6] = {};
    ImageCube letterboxed(7, 2.0, 1, 0, pictures, fit);
    letterboxed.Update(0, &view.GetViewMatrix(), &view.GetProjection());
    letterboxed.Draw(&region);
    ASSERT_EQ(region.fills.size(), 2u);
    EXPECT_EQ(region.fills[1].mode, 1);
    EXPECT_NEAR(region.fills[1].corners[0].y, p[2].y + side * 0.01, side * 0.01);
}

TEST(CubeClasses, AreCreatableByName) {
    std::unique_ptr<CObject> box(CRuntimeClass::CreateObject("Box3d"));
    std::unique_ptr<CObject> cube(CRuntimeClass::CreateObject("ImageCube"));
    ASSERT_TRUE(box && cube);
    EXPECT_TRUE(box->IsKindOf(RUNTIME_CLASS(ThreeDObject)));
    EXPECT_TRUE(cube->IsKindOf(RUNTIME_CLASS(ImageCube)));
    EXPECT_EQ(CRuntimeClass::CreateObject("ThreeDObject"), nullptr);
}

} // namespace
