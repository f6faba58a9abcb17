// One decision of what a face shows: the saver's picture sources, the face check and the
// thumbnails all follow DecideFace, so a verdict can never promise what the saver then does
// not show.
#include "../import/AviTestSupport.h"
#include "../import/GifFlood.h"
#include "../import/PictureSourceTestSupport.h"
#include "import/AnimatedGifPicture.h"
#include "import/FaceDecision.h"
#include "import/StillPicture.h"
#include "make/FaceCheck.h"
#include "make/FaceThumbnail.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> TinyClip() {
    avitest::ClipRecipe clip;
    clip.frames = {avitest::FrameBytes(1, 2, 9), avitest::FrameBytes(2, 2, 9)};
    return avitest::MakeAvi(clip);
}

std::vector<uint8_t> Flood(uint16_t screen, int frames) {
    importtest::FloodFrame f;
    f.width = f.height = 2;
    return importtest::MakeFloodGif(screen, screen,
                                    std::vector<importtest::FloodFrame>(size_t(frames), f));
}

} // namespace

TEST(FaceDecision, TheSaverTheCheckAndTheThumbnailAgree) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        FaceKind kind;
        FaceVerdict verdict;
        int images;
    };
    std::vector<uint8_t> cutBmp = MakeBmp24(30, 30, 1, 2, 3);
    cutBmp.resize(70);
    const Case cases[] = {
        {"animated GIF", Flood(2, 3), FaceKind::kAnimatedGif, FaceVerdict::kShown, 3},
        {"GIF of one frame", Flood(2, 1), FaceKind::kStillPicture, FaceVerdict::kShown, 1},
        // Beyond the animation's screen limit the saver shows the first frame still: so
        // must the check.
        {"GIF on a huge screen", Flood(4096, 2), FaceKind::kStillPicture, FaceVerdict::kShown, 1},
        {"BMP", MakeBmp24(5, 3, 9, 8, 7), FaceKind::kStillPicture, FaceVerdict::kShown, 1},
        {"AVI", TinyClip(), FaceKind::kVideo, FaceVerdict::kShown, 0},
        {"BMP cut short", cutBmp, FaceKind::kVideo, FaceVerdict::kDefault, 0},
        {"text", std::vector<uint8_t>(50, 'x'), FaceKind::kVideo, FaceVerdict::kDefault, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FaceDecision decision = DecideFace(c.bytes);
        EXPECT_EQ(decision.kind, c.kind);

        PictureSource* source = OpenStillPicture(c.name, c.bytes);
        EXPECT_EQ(dynamic_cast<AnimatedGifPicture*>(source) != nullptr,
                  c.kind == FaceKind::kAnimatedGif);
        EXPECT_EQ(dynamic_cast<StillPicture*>(source) != nullptr,
                  c.kind == FaceKind::kStillPicture);
        ReleasePicture(source);

        const FaceCheck check = CheckFaceBytes(c.bytes);
        EXPECT_EQ(check.verdict, c.verdict) << check.description;
        EXPECT_EQ(check.images, c.images) << check.description;

        const FaceThumbnail thumbnail = MakeFaceThumbnail(c.bytes, 16);
        EXPECT_EQ(thumbnail.moving,
                  c.kind == FaceKind::kAnimatedGif || c.name == std::string("AVI"));
        EXPECT_EQ(thumbnail.image.pixels.empty(), c.verdict == FaceVerdict::kDefault);

        // The saver's shortcut for video faces never skips what the decision would show.
        if (c.kind != FaceKind::kVideo) {
            EXPECT_TRUE(CouldBePictureFace(c.bytes));
        }
    }
    EXPECT_FALSE(CouldBePictureFace(TinyClip()));
    EXPECT_EQ(FirstPictureSource(), nullptr);
}
