// A short run of the flicker study (6 frames of the full study's 120, at half of 1920 x 1080):
// smooth faces shimmer at most 0.45 times as much as
// exact ones, on a zone plate and a photo-like picture.
#include "vomracube-flicker/FlickerStudy.h"

#include <gtest/gtest.h>

TEST(FlickerStudy, SmoothFacesFlickerFarLessThanExactOnes) {
    FlickerOptions o;
    o.width = 960;
    o.height = 540;
    o.frames = 6;
    o.factor = 8;
    o.pictureSide = 2048;
    for (const StudyPicture p : {StudyPicture::kZonePlate, StudyPicture::kPhoto}) {
        FlickerResult r;
        std::string error;
        ASSERT_TRUE(RunFlickerStudy(p, o, r, error)) << error;
        EXPECT_GT(r.facePixels, 6 * 10000) << StudyPictureName(p);
        EXPECT_GT(r.exact.flicker, 0.0) << StudyPictureName(p);
        EXPECT_LE(r.smooth.flicker, 0.45 * r.exact.flicker)
            << StudyPictureName(p) << ": exact " << r.exact.flicker << ", smooth "
            << r.smooth.flicker;
        EXPECT_LT(r.smooth.error, r.exact.error) << StudyPictureName(p);
    }
}
